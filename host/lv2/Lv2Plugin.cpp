#include "Lv2Plugin.h"

#include "HostError.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <algorithm>
#include <cctype>

namespace
{
std::string lower(std::string s)
{
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}
} // namespace

Lv2Plugin::Lv2Plugin(const std::string& lv2Path, const std::string& uri, double sampleRate) : mWorld(lilv_world_new())
{
  mMap = {this, &Lv2Plugin::mapUri};
  LilvNode* path = lilv_new_string(mWorld, lv2Path.c_str());
  lilv_world_set_option(mWorld, LILV_OPTION_LV2_PATH, path);
  lilv_node_free(path);
  lilv_world_load_all(mWorld);

  LilvNode* uriNode = lilv_new_uri(mWorld, uri.c_str());
  mPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), uriNode);
  lilv_node_free(uriNode);
  if (!mPlugin)
  {
    lilv_world_free(mWorld);
    throw HostError("no LV2 plug-in " + uri + " under " + lv2Path);
  }
  LV2_Feature mapFeature{LV2_URID__map, &mMap};
  const LV2_Feature* features[] = {&mapFeature, nullptr};
  mInstance = lilv_plugin_instantiate(mPlugin, sampleRate, features);
  if (!mInstance)
  {
    lilv_world_free(mWorld);
    throw HostError("instantiating " + uri + " failed");
  }

  LilvNode* audio = lilv_new_uri(mWorld, LV2_CORE__AudioPort);
  LilvNode* control = lilv_new_uri(mWorld, LV2_CORE__ControlPort);
  LilvNode* input = lilv_new_uri(mWorld, LV2_CORE__InputPort);
  LilvNode* atom = lilv_new_uri(mWorld, LV2_ATOM__AtomPort);
  auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(mSequence);
  sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
  sequence->atom.type = mapUri(this, LV2_ATOM__Sequence);
  const uint32_t n = lilv_plugin_get_num_ports(mPlugin);
  for (uint32_t i = 0; i < n; ++i)
  {
    const LilvPort* port = lilv_plugin_get_port_by_index(mPlugin, i);
    const bool isInput = lilv_port_is_a(mPlugin, port, input);
    if (lilv_port_is_a(mPlugin, port, control) && isInput)
    {
      auto c = std::make_unique<Control>();
      c->port = i;
      c->symbol = lilv_node_as_string(lilv_port_get_symbol(mPlugin, port));
      LilvNode* name = lilv_port_get_name(mPlugin, port);
      c->name = name ? lilv_node_as_string(name) : c->symbol;
      lilv_node_free(name);
      LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
      lilv_port_get_range(mPlugin, port, &def, &min, &max);
      c->value = def ? lilv_node_as_float(def) : 0.0f;
      c->min = min ? lilv_node_as_float(min) : 0.0f;
      c->max = max ? lilv_node_as_float(max) : 1.0f;
      for (LilvNode* node : {def, min, max})
        lilv_node_free(node);
      lilv_instance_connect_port(mInstance, i, &c->value);
      mControls.push_back(std::move(c));
    }
    else if (lilv_port_is_a(mPlugin, port, audio))
      (isInput ? mAudioIn : mAudioOut).push_back(i);
    else if (lilv_port_is_a(mPlugin, port, atom) && isInput)
      lilv_instance_connect_port(mInstance, i, sequence);
  }
  for (LilvNode* node : {audio, control, input, atom})
    lilv_node_free(node);
  lilv_instance_activate(mInstance);
}

Lv2Plugin::~Lv2Plugin()
{
  lilv_instance_deactivate(mInstance);
  lilv_instance_free(mInstance);
  lilv_world_free(mWorld);
}

void Lv2Plugin::setNormalized(const std::string& symbolOrName, double normalized)
{
  const std::string key = lower(symbolOrName);
  for (auto& c : mControls)
    if (lower(c->symbol) == key || lower(c->name) == key)
    {
      const double v = c->min + std::clamp(normalized, 0.0, 1.0) * (c->max - c->min);
      c->value = static_cast<float>(v);
      return;
    }
  throw HostError("the plug-in has no control input \"" + symbolOrName + "\"", 2);
}

uint32_t Lv2Plugin::controlPort(const std::string& symbol) const
{
  for (const auto& c : mControls)
    if (c->symbol == symbol)
      return c->port;
  throw HostError("the plug-in has no control input \"" + symbol + "\"");
}

std::vector<std::pair<uint32_t, float>> Lv2Plugin::controlValues() const
{
  std::vector<std::pair<uint32_t, float>> values;
  for (const auto& c : mControls)
    values.emplace_back(c->port, c->written ? c->pending.load() : c->value);
  return values;
}

void Lv2Plugin::connectAudio(const float* const* inputs, float* const* outputs)
{
  for (std::size_t c = 0; c < mAudioIn.size(); ++c)
    lilv_instance_connect_port(mInstance, mAudioIn[c], const_cast<float*>(inputs[c]));
  for (std::size_t c = 0; c < mAudioOut.size(); ++c)
    lilv_instance_connect_port(mInstance, mAudioOut[c], outputs[c]);
}

void Lv2Plugin::run(uint32_t frames)
{
  for (auto& c : mControls)
    if (c->written.exchange(false))
      c->value = c->pending;
  lilv_instance_run(mInstance, frames);
}

void Lv2Plugin::writeFromUi(uint32_t port, float value)
{
  for (auto& c : mControls)
    if (c->port == port)
    {
      c->pending = value;
      c->written = true;
      return;
    }
}

LV2_Handle Lv2Plugin::handle() const { return lilv_instance_get_handle(mInstance); }

LV2_URID Lv2Plugin::mapUri(LV2_URID_Map_Handle handle, const char* uri)
{
  auto* self = static_cast<Lv2Plugin*>(handle);
  auto [it, added] = self->mUrids.emplace(uri, static_cast<LV2_URID>(self->mUrids.size() + 1));
  (void)added;
  return it->second;
}
