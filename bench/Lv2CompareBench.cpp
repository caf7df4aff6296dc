// LV2 analysers side by side, loaded by URI through lilv as hosts load
// them: our stereo plug-in, LSP Spectrum Analyzer x2 and x42's 30-band
// spectrum, each fed the same music-like stereo signal in 512-frame
// blocks; the time is that of run. Read the figures as ratios to LSP's.
#include "bench/Lv2Rig.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
Lv2Rig& TheRig()
{
  static Lv2Rig rig(CREST_LV2_PATH ":/usr/lib/lv2");
  return rig;
}

void RunPlugin(benchmark::State& state, const char* uri)
{
  constexpr uint32_t kBlock = Lv2Rig::kBlock;
  Lv2Rig& rig = TheRig();
  const LilvPlugin* plugin = rig.Plugin(uri);
  if (!plugin)
  {
    state.SkipWithError("plug-in not installed");
    return;
  }
  LilvInstance* inst = rig.Instantiate(plugin);
  if (!inst)
  {
    state.SkipWithError("instantiation failed");
    return;
  }

  const size_t total = 441000;
  const std::vector<float> music[2] = {Lv2Rig::Music(0, total), Lv2Rig::Music(1, total)};
  Lv2Rig::PortBuffers ports = rig.MakePorts(plugin);
  rig.Connect(plugin, inst, ports);
  lilv_instance_activate(inst);

  size_t pos = 0;
  for (auto _ : state)
  {
    state.PauseTiming();
    if (pos + kBlock > total)
      pos = 0;
    Lv2Rig::Fill(ports, music, pos);
    state.ResumeTiming();
    lilv_instance_run(inst, kBlock);
    pos += kBlock;
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBlock);
  lilv_instance_deactivate(inst);
  lilv_instance_free(inst);
}
} // namespace

BENCHMARK_CAPTURE(RunPlugin, LspSpectrumAnalyzerX2_Baseline, "http://lsp-plug.in/plugins/lv2/spectrum_analyzer_x2")
  ->MinTime(2.0);
BENCHMARK_CAPTURE(RunPlugin, QxCrestStereo, "http://tessaro.example/plugins/qx-crest#stereo")->MinTime(2.0);
BENCHMARK_CAPTURE(RunPlugin, X42Spectr30Stereo, "http://gareus.org/oss/lv2/meters#spectr30stereo")->MinTime(2.0);
