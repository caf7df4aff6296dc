#include "SoundFeeder.h"

#include "VideoEncoder.h"

#include <algorithm>
#include <cstddef>

namespace
{
constexpr int kBlock = 512;
}

SoundFeeder::SoundFeeder(AudioSource& source, EffectInstance& effect, double gain)
  : mSource(source), mEffect(effect), mGain(static_cast<float>(gain)), mBlocks(effect.channels(), kBlock),
    mInterleaved(static_cast<std::size_t>(kBlock) * source.channels())
{
}

void SoundFeeder::skipTo(int64_t until)
{
  const int in = mSource.channels();
  while (mPosition < until)
  {
    const int want = static_cast<int>(
      std::min<int64_t>(static_cast<int64_t>(mInterleaved.size() / in), until - mPosition));
    const int64_t n = mSource.read(mInterleaved.data(), want);
    if (n <= 0)
      return;
    mPosition += n;
  }
}

bool SoundFeeder::feedTo(int64_t until, int64_t keepFrom, VideoEncoder* video)
{
  const int in = mSource.channels();
  const int out = mEffect.channels();
  while (mPosition < until)
  {
    const int want = static_cast<int>(std::min<int64_t>(kBlock, until - mPosition));
    const int n = static_cast<int>(mSource.read(mInterleaved.data(), want));
    if (n <= 0)
      return false;
    if (video && mPosition + n > keepFrom)
    {
      const int skip = static_cast<int>(std::max<int64_t>(0, keepFrom - mPosition));
      video->addAudio(mInterleaved.data() + static_cast<std::ptrdiff_t>(skip) * in, n - skip);
    }
    deinterleave(mInterleaved.data(), in, mBlocks.fill(), out, n, mGain);
    mEffect.render(mBlocks.inputs(), mBlocks.outputs(), n);
    mPosition += n;
  }
  return true;
}
