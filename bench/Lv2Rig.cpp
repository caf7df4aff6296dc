#include "bench/Lv2Rig.h"

#include <algorithm>
#include <cmath>

namespace
{
// Each atom port's buffer, in 64-bit words (atoms are 64-bit aligned).
constexpr size_t kAtomWords = 1024;
} // namespace

Lv2Rig::Lv2Rig(const std::string& path) : mWorld(lilv_world_new())
{
  LilvNode* node = lilv_new_string(mWorld, path.c_str());
  lilv_world_set_option(mWorld, LILV_OPTION_LV2_PATH, node);
  lilv_node_free(node);
  lilv_world_load_all(mWorld);
}

Lv2Rig::~Lv2Rig() { lilv_world_free(mWorld); }

LV2_URID Lv2Rig::Map(LV2_URID_Map_Handle handle, const char* uri)
{
  auto* self = static_cast<Lv2Rig*>(handle);
  return self->mIds.emplace(uri, static_cast<LV2_URID>(self->mIds.size() + 1)).first->second;
}

const LilvPlugin* Lv2Rig::Plugin(const char* uri)
{
  LilvNode* node = lilv_new_uri(mWorld, uri);
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), node);
  lilv_node_free(node);
  return plugin;
}

LilvInstance* Lv2Rig::Instantiate(const LilvPlugin* plugin, double rate)
{
  return lilv_plugin_instantiate(plugin, rate, mFeatures);
}

Lv2Rig::PortBuffers Lv2Rig::MakePorts(const LilvPlugin* plugin)
{
  PortBuffers ports;
  const uint32_t n = lilv_plugin_get_num_ports(plugin);
  ports.controls.assign(n, 0.0f);
  // Reserved up front: connected addresses must stay put.
  ports.audioIn.reserve(n), ports.audioOut.reserve(n), ports.atoms.reserve(n);
  return ports;
}

void Lv2Rig::Connect(const LilvPlugin* plugin, LilvInstance* instance, PortBuffers& ports)
{
  LilvNode* audio = lilv_new_uri(mWorld, LV2_CORE__AudioPort);
  LilvNode* control = lilv_new_uri(mWorld, LV2_CORE__ControlPort);
  LilvNode* input = lilv_new_uri(mWorld, LV2_CORE__InputPort);
  LilvNode* atom = lilv_new_uri(mWorld, LV2_ATOM__AtomPort);
  const LV2_URID sequence = Map(this, LV2_ATOM__Sequence);
  const uint32_t n = lilv_plugin_get_num_ports(plugin);
  for (uint32_t i = 0; i < n; ++i)
  {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    const bool in = lilv_port_is_a(plugin, port, input);
    if (lilv_port_is_a(plugin, port, control))
    {
      LilvNode* def = nullptr;
      lilv_port_get_range(plugin, port, &def, nullptr, nullptr);
      ports.controls[i] = def ? lilv_node_as_float(def) : 0.0f;
      lilv_node_free(def);
      lilv_instance_connect_port(instance, i, &ports.controls[i]);
    }
    else if (lilv_port_is_a(plugin, port, audio))
    {
      auto& list = in ? ports.audioIn : ports.audioOut;
      list.emplace_back(kBlock);
      lilv_instance_connect_port(instance, i, list.back().data());
    }
    else if (lilv_port_is_a(plugin, port, atom))
    {
      ports.atoms.emplace_back(kAtomWords);
      auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(ports.atoms.back().data());
      seq->atom.type = sequence;
      seq->atom.size = in ? sizeof(LV2_Atom_Sequence_Body) : kAtomWords * sizeof(uint64_t) - sizeof(LV2_Atom);
      lilv_instance_connect_port(instance, i, seq);
      if (!in)
        ports.atomOuts.push_back(seq);
    }
    else
    {
      ports.atoms.emplace_back(kBlock);
      lilv_instance_connect_port(instance, i, ports.atoms.back().data());
    }
  }
  for (LilvNode* node : {audio, control, input, atom})
    lilv_node_free(node);
}

void Lv2Rig::Fill(PortBuffers& ports, const std::vector<float> (&music)[2], size_t pos)
{
  for (size_t c = 0; c < ports.audioIn.size(); ++c)
    std::copy_n(music[c % 2].begin() + static_cast<long>(pos), kBlock, ports.audioIn[c].begin());
  for (LV2_Atom_Sequence* seq : ports.atomOuts)
    seq->atom.size = kAtomWords * sizeof(uint64_t) - sizeof(LV2_Atom);
}

std::vector<float> Lv2Rig::Music(int channel, size_t n)
{
  std::vector<float> s(n);
  unsigned state = 99u + static_cast<unsigned>(channel);
  const double notes[] = {220.0, 277.18, 329.63, 440.0, 554.37};
  for (size_t i = 0; i < n; ++i)
  {
    const double t = static_cast<double>(i) / 44100.0;
    double v = 0.0;
    for (double note : notes)
      v += 0.08 * std::sin(2.0 * M_PI * note * (1.0 + 0.5 * std::floor(std::fmod(t, 4.0))) * t + channel);
    v += 0.3 * std::exp(-30.0 * std::fmod(t, 0.5)) * std::sin(2.0 * M_PI * 60.0 * t);
    state = state * 1664525u + 1013904223u;
    v += 0.02 * (static_cast<double>(state >> 8) / 16777216.0 - 0.5);
    s[i] = static_cast<float>(v);
  }
  return s;
}
