#pragma once

#include "AudioSource.h"
#include "ChannelBlocks.h"
#include "EffectInstance.h"

#include <cstdint>
#include <vector>

class VideoEncoder;

// Reads a source in blocks of at most 512 frames as a host would play it:
// each block's sound goes to a video as it is, and the effect renders a
// copy scaled by the analysis gain and mixed to its channels. The host's
// thread calls it.
class SoundFeeder
{
public:
  SoundFeeder(AudioSource& source, EffectInstance& effect, double gain);

  // Feeds the source up to its frame `until`; the sound from frame
  // `keepFrom` on also goes to `video` (may be null). False when the
  // source ran out first.
  bool feedTo(int64_t until, int64_t keepFrom, VideoEncoder* video);

  // Reads the source up to its frame `until` without playing it.
  void skipTo(int64_t until);

  int64_t position() const { return mPosition; }

private:
  AudioSource& mSource;
  EffectInstance& mEffect;
  float mGain;
  ChannelBlocks mBlocks;
  std::vector<float> mInterleaved;
  int64_t mPosition = 0;
};
