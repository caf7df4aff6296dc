#include "ChannelBlocks.h"

#include <cstddef>

ChannelBlocks::ChannelBlocks(int channels, int frames)
  : mInput(channels, std::vector<float>(frames)), mOutput(channels, std::vector<float>(frames)), mFill(channels),
    mIn(channels), mOut(channels)
{
  for (int c = 0; c < channels; ++c)
  {
    mIn[c] = mFill[c] = mInput[c].data();
    mOut[c] = mOutput[c].data();
  }
}

void deinterleave(const float* interleaved, int in, float* const* channels, int out, int frames, float gain)
{
  for (int i = 0; i < frames; ++i)
  {
    const float* frame = interleaved + static_cast<std::ptrdiff_t>(i) * in;
    if (in == out)
      for (int c = 0; c < in; ++c)
        channels[c][i] = frame[c] * gain;
    else if (in == 1)
      channels[0][i] = channels[1][i] = frame[0] * gain;
    else
      channels[0][i] = (frame[0] + frame[1]) * 0.5f * gain;
  }
}
