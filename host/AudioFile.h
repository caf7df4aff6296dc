#pragma once

#include "AudioSource.h"

#include <memory>
#include <string>

typedef struct sf_private_tag SNDFILE;

// A sound file opened through libsndfile: read as float frames in any format
// it knows, or written as 32-bit float WAV.
class AudioFile : public AudioSource
{
public:
  static std::unique_ptr<AudioFile> openForReading(const std::string& path);
  static std::unique_ptr<AudioFile> createFloatWav(const std::string& path, double sampleRate, int channels);
  ~AudioFile() override;

  AudioFile(const AudioFile&) = delete;
  AudioFile& operator=(const AudioFile&) = delete;

  int channels() const override { return mChannels; }
  double sampleRate() const override { return mSampleRate; }
  int64_t frames() const override { return mFrames; }
  std::string label() const override { return mPath; }
  int pcmBits() const override { return mPcmBits; }

  int64_t read(float* interleaved, int64_t maxFrames) override;
  bool rewind() override;

  void write(const float* interleaved, int64_t frames);
  // Flushes and closes a written file, reporting what the disk refused.
  void close();

private:
  AudioFile(SNDFILE* file, std::string path, int channels, double sampleRate, int64_t frames, bool seekable);

  SNDFILE* mFile;
  std::string mPath;
  int mChannels;
  double mSampleRate;
  int64_t mFrames;
  bool mSeekable;
  int mPcmBits = 0;
};
