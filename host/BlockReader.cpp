#include "BlockReader.h"

#include "HostError.h"

#include <algorithm>
#include <cstddef>

BlockReader::BlockReader(AudioSource& source, int channels, int maxFrames, bool loop)
  : mSource(source), mChannels(channels), mLoop(loop),
    mInterleaved(static_cast<std::size_t>(maxFrames) * source.channels())
{
  const int in = source.channels();
  if (channels < 1 || channels > 2 || in < 1 || in > 2)
    throw HostError("cannot feed " + std::to_string(in) + " channels to " + std::to_string(channels));
}

int BlockReader::read(float* const* channels, int frames)
{
  const int in = mSource.channels();
  frames = std::min(frames, static_cast<int>(mInterleaved.size() / in));
  int64_t got = mSource.read(mInterleaved.data(), frames);
  if (got == 0 && mLoop && mSource.rewind())
    got = mSource.read(mInterleaved.data(), frames);
  const int n = static_cast<int>(got);
  const float* src = mInterleaved.data();
  for (int i = 0; i < n; ++i)
  {
    const float* frame = src + static_cast<std::ptrdiff_t>(i) * in;
    if (in == mChannels)
      for (int c = 0; c < in; ++c)
        channels[c][i] = frame[c];
    else if (in == 1)
      channels[0][i] = channels[1][i] = frame[0];
    else
      channels[0][i] = (frame[0] + frame[1]) * 0.5f;
  }
  return n;
}
