#include "ChannelBlocks.h"

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
