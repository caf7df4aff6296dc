// LV2 analysers side by side, loaded by URI through lilv as hosts load
// them: our stereo plug-in, LSP Spectrum Analyzer x2 and x42's 30-band
// spectrum, each fed the same music-like stereo signal in 512-frame
// blocks; the time is that of run. Read the figures as ratios to LSP's.
#include <benchmark/benchmark.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr uint32_t kBlock = 512;
// Each atom port's buffer, in 64-bit words (atoms are 64-bit aligned).
constexpr size_t kAtomWords = 1024;

struct UridMap
{
  std::map<std::string, LV2_URID> ids;
  static LV2_URID Map(LV2_URID_Map_Handle h, const char* uri)
  {
    auto* self = static_cast<UridMap*>(h);
    return self->ids.emplace(uri, static_cast<LV2_URID>(self->ids.size() + 1)).first->second;
  }
};

// Ten seconds of chords with a beat and a little noise, per channel.
std::vector<float> Music(int channel, size_t n)
{
  std::vector<float> s(n);
  unsigned state = 99u + static_cast<unsigned>(channel);
  const double notes[] = {220.0, 277.18, 329.63, 440.0, 554.37};
  for (size_t i = 0; i < n; ++i)
  {
    const double t = static_cast<double>(i) / 44100.0;
    double v = 0.0;
    for (int k = 0; k < 5; ++k)
      v += 0.08 * std::sin(2.0 * M_PI * notes[k] * (1.0 + 0.5 * std::floor(std::fmod(t, 4.0))) * t + channel);
    v += 0.3 * std::exp(-30.0 * std::fmod(t, 0.5)) * std::sin(2.0 * M_PI * 60.0 * t);
    state = state * 1664525u + 1013904223u;
    v += 0.02 * (static_cast<double>(state >> 8) / 16777216.0 - 0.5);
    s[i] = static_cast<float>(v);
  }
  return s;
}

struct Host
{
  LilvWorld* world = lilv_world_new();
  UridMap urids;
  LV2_URID_Map map{&urids, &UridMap::Map};
  Host()
  {
    LilvNode* path = lilv_new_string(world, CREST_LV2_PATH ":/usr/lib/lv2");
    lilv_world_set_option(world, LILV_OPTION_LV2_PATH, path);
    lilv_node_free(path);
    lilv_world_load_all(world);
  }
  ~Host() { lilv_world_free(world); }
};

Host& TheHost()
{
  static Host host;
  return host;
}

// Every port's buffer; the vectors are reserved up front so that the
// connected addresses stay put.
struct PortBuffers
{
  std::vector<std::vector<float>> audioIn, audioOut;
  std::vector<float> controls;
  std::vector<std::vector<uint64_t>> atoms;
  std::vector<LV2_Atom_Sequence*> atomOuts;
};

// Controls at their defaults, audio blocks of kBlock frames, atom sequences
// empty (inputs) or with room (outputs), anything else a scratch block.
void ConnectPorts(Host& h, const LilvPlugin* plugin, LilvInstance* inst, PortBuffers& ports)
{
  const uint32_t nPorts = lilv_plugin_get_num_ports(plugin);
  std::vector<float>& controls = ports.controls;
  controls.assign(nPorts, 0.0f);
  auto& audioIn = ports.audioIn;
  auto& audioOut = ports.audioOut;
  auto& atoms = ports.atoms;
  LilvNode* audio = lilv_new_uri(h.world, LV2_CORE__AudioPort);
  LilvNode* control = lilv_new_uri(h.world, LV2_CORE__ControlPort);
  LilvNode* input = lilv_new_uri(h.world, LV2_CORE__InputPort);
  LilvNode* atom = lilv_new_uri(h.world, LV2_ATOM__AtomPort);
  audioIn.reserve(nPorts), audioOut.reserve(nPorts), atoms.reserve(nPorts);
  for (uint32_t i = 0; i < nPorts; ++i)
  {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    const bool in = lilv_port_is_a(plugin, port, input);
    if (lilv_port_is_a(plugin, port, control))
    {
      LilvNode* def = nullptr;
      lilv_port_get_range(plugin, port, &def, nullptr, nullptr);
      controls[i] = def ? lilv_node_as_float(def) : 0.0f;
      lilv_node_free(def);
      lilv_instance_connect_port(inst, i, &controls[i]);
    }
    else if (lilv_port_is_a(plugin, port, audio))
    {
      auto& list = in ? audioIn : audioOut;
      list.emplace_back(kBlock);
      lilv_instance_connect_port(inst, i, list.back().data());
    }
    else if (lilv_port_is_a(plugin, port, atom))
    {
      atoms.emplace_back(kAtomWords);
      auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(atoms.back().data());
      seq->atom.type = h.map.map(h.map.handle, LV2_ATOM__Sequence);
      seq->atom.size = in ? sizeof(LV2_Atom_Sequence_Body) : kAtomWords * sizeof(uint64_t) - sizeof(LV2_Atom);
      lilv_instance_connect_port(inst, i, seq);
      if (!in)
        ports.atomOuts.push_back(seq);
    }
    else
    {
      atoms.emplace_back(kBlock);
      lilv_instance_connect_port(inst, i, atoms.back().data());
    }
  }
  for (LilvNode* n : {audio, control, input, atom})
    lilv_node_free(n);
}

void RunPlugin(benchmark::State& state, const char* uri)
{
  Host& h = TheHost();
  LilvNode* node = lilv_new_uri(h.world, uri);
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(h.world), node);
  lilv_node_free(node);
  if (!plugin)
  {
    state.SkipWithError("plug-in not installed");
    return;
  }
  LV2_Feature mapFeature{LV2_URID__map, &h.map};
  const LV2_Feature* features[] = {&mapFeature, nullptr};
  LilvInstance* inst = lilv_plugin_instantiate(plugin, 44100.0, features);
  if (!inst)
  {
    state.SkipWithError("instantiation failed");
    return;
  }

  const size_t total = 441000;
  const std::vector<float> music[2] = {Music(0, total), Music(1, total)};
  PortBuffers ports;
  ConnectPorts(h, plugin, inst, ports);
  lilv_instance_activate(inst);

  size_t pos = 0;
  for (auto _ : state)
  {
    state.PauseTiming();
    if (pos + kBlock > total)
      pos = 0;
    for (size_t c = 0; c < ports.audioIn.size(); ++c)
      std::copy_n(music[c % 2].begin() + static_cast<long>(pos), kBlock, ports.audioIn[c].begin());
    // Output atom ports get their capacity back each block.
    for (LV2_Atom_Sequence* seq : ports.atomOuts)
      seq->atom.size = kAtomWords * sizeof(uint64_t) - sizeof(LV2_Atom);
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
