#include "ProcessCommand.h"

#include "AudioFile.h"
#include "BlockReader.h"
#include "HostError.h"
#include "ProgressBar.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
// Output buffers start as this NaN so that samples the effect never writes
// cannot pass for the input.
constexpr uint32_t kUnwrittenBits = 0x7FC0DEADu;

// What a run through the effect did.
struct Tally
{
  int64_t frames = 0;
  int64_t blocks = 0;
  bool equal = true;
  std::chrono::steady_clock::duration busy{};
};

// Every block of the source through the effect, each output checked against
// its input and written to out when there is one.
Tally RenderAll(EffectInstance& effect, AudioSource& source, int block, AudioFile* out)
{
  const int channels = effect.channels();
  std::vector<std::vector<float>> in(channels, std::vector<float>(block));
  std::vector<std::vector<float>> res(channels, std::vector<float>(block));
  std::vector<const float*> inPtr(channels);
  std::vector<float*> inFill(channels);
  std::vector<float*> outPtr(channels);
  for (int c = 0; c < channels; ++c)
  {
    inPtr[c] = inFill[c] = in[c].data();
    outPtr[c] = res[c].data();
  }
  std::vector<float> interleaved(static_cast<std::size_t>(block) * channels);
  float unwritten;
  std::memcpy(&unwritten, &kUnwrittenBits, sizeof unwritten);

  BlockReader reader(source, channels, block, false);
  const int64_t expected = source.frames();
  ProgressBar progress(expected, ProgressBar::wanted(expected / source.sampleRate()));

  Tally tally;
  for (;;)
  {
    const int n = reader.read(inFill.data(), block);
    if (n == 0)
      break;
    for (int c = 0; c < channels; ++c)
      std::fill(res[c].begin(), res[c].begin() + n, unwritten);

    const auto t0 = std::chrono::steady_clock::now();
    effect.render(inPtr.data(), outPtr.data(), n);
    tally.busy += std::chrono::steady_clock::now() - t0;

    for (int c = 0; c < channels; ++c)
      if (std::memcmp(in[c].data(), res[c].data(), sizeof(float) * n) != 0)
        tally.equal = false;
    if (out)
    {
      for (int i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
          interleaved[static_cast<std::size_t>(i) * channels + c] = res[c][i];
      out->write(interleaved.data(), n);
    }
    tally.frames += n;
    ++tally.blocks;
    progress.update(tally.frames);
  }
  progress.finish();
  return tally;
}

void PrintSummary(const ProcessOptions& options, HostSession& session, const Tally& tally, double rate,
                  size_t stateBytes)
{
  EffectInstance& effect = session.effect();
  const int channels = effect.channels();
  const double seconds = std::chrono::duration<double>(tally.busy).count();
  const double audioSeconds = tally.frames / rate;
  std::printf("input: %s\n", session.inputLabel().c_str());
  std::printf("effect: component %d (%d channel%s, %s)%s%s\n", effect.componentIndex(), channels,
              channels == 1 ? "" : "s",
              PluginBundle::fourCC(session.bundle().components()[effect.componentIndex()].nativeTypeId).c_str(),
              options.session.bypass ? ", bypassed" : "", options.transport ? ", transport playing" : "");
  std::printf("frames: %lld (%.3f s) in %lld blocks of up to %d\n", static_cast<long long>(tally.frames),
              audioSeconds, static_cast<long long>(tally.blocks), options.block);
  if (seconds > 0.0)
    std::printf("time taken: %.3f s in render calls, real-time factor %.1f\n", seconds, audioSeconds / seconds);
  else
    std::printf("time taken: %.3f s in render calls\n", seconds);
  std::printf("output equals input: %s\n", tally.equal ? "yes" : "no");
  if (!options.output.empty())
    std::printf("output: %s\n", options.output.c_str());
  if (!options.saveState.empty())
    std::printf("state: %s (%zu bytes)\n", options.saveState.c_str(), stateBytes);
}
} // namespace

int ProcessCommand::run(const ProcessOptions& options)
{
  if (options.block < 1 || options.block > ACF_MAX_BLOCK_FRAMES)
    throw HostError("--block must be 1 to " + std::to_string(ACF_MAX_BLOCK_FRAMES) + " frames (got " +
                      std::to_string(options.block) + ")",
                    2);

  HostSession session(options.session);
  EffectInstance& effect = session.effect();
  const double rate = session.source().sampleRate();

  std::unique_ptr<AudioFile> out;
  if (!options.output.empty())
    out = AudioFile::createFloatWav(options.output, rate, effect.channels());

  effect.setTransportPlaying(options.transport);
  const Tally tally = RenderAll(effect, session.source(), options.block, out.get());
  if (out)
    out->close();

  std::vector<uint8_t> state;
  if (!options.saveState.empty())
  {
    state = effect.saveChunk();
    HostSession::writeFile(options.saveState, state);
  }
  PrintSummary(options, session, tally, rate, state.size());
  return 0;
}
