// One block of float samples per channel, in and out, with the pointer
// arrays that the render call and the block reader take.
#pragma once

#include <vector>

class ChannelBlocks
{
public:
  ChannelBlocks(int channels, int frames);

  float** fill() { return mFill.data(); }
  const float* const* inputs() const { return mIn.data(); }
  float* const* outputs() const { return mOut.data(); }
  const std::vector<float>& input(int c) const { return mInput[c]; }
  const std::vector<float>& output(int c) const { return mOutput[c]; }

private:
  std::vector<std::vector<float>> mInput, mOutput;
  std::vector<float*> mFill;
  std::vector<const float*> mIn;
  std::vector<float*> mOut;
};

// Splits `frames` interleaved frames of `in` channels into blocks of `out`
// channels, scaled by `gain`: as they are, mono onto both, or stereo mixed
// to mono.
void deinterleave(const float* interleaved, int in, float* const* channels, int out, int frames, float gain = 1.0f);
