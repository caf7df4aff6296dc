#include "BlockReader.h"

#include "ChannelBlocks.h"
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
  deinterleave(mInterleaved.data(), in, channels, mChannels, n);
  return n;
}
