#pragma once

#include "AudioSource.h"

#include <cstdint>
#include <vector>

// Reads a source block by block into one buffer per effect channel, turning
// a mono source into two equal channels or a stereo one into its mid mix.
class BlockReader
{
public:
  BlockReader(AudioSource& source, int channels, int maxFrames, bool loop);

  // Fills `channels` (each maxFrames long) and returns the frames read;
  // 0 at the end, never when looping a source that has frames.
  int read(float* const* channels, int frames);

private:
  AudioSource& mSource;
  int mChannels;
  bool mLoop;
  std::vector<float> mInterleaved;
};
