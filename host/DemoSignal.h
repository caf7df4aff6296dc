#pragma once

#include "AudioSource.h"

// A few seconds of music-like stereo sound near full scale: a chord
// progression with an arpeggiated lead and a bass, a slow sine sweep and a
// drum pattern of kicks and noise hats. Every frame is a pure
// function of its index, so the signal is the same however it is read.
class DemoSignal : public AudioSource
{
public:
  static constexpr double kSampleRate = 44100.0;
  static constexpr double kSeconds = 6.0;

  int channels() const override { return 2; }
  double sampleRate() const override { return kSampleRate; }
  int64_t frames() const override;
  std::string label() const override { return "demo signal"; }

  int64_t read(float* interleaved, int64_t maxFrames) override;
  bool rewind() override;

  static void frameAt(int64_t index, float& left, float& right);

private:
  int64_t mPosition = 0;
};
