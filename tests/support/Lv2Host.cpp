#include "tests/support/Lv2Host.h"

#include "framework/PlugDescription.h"

#include <lv2/atom/atom.h>

#include <cstring>

std::string Lv2PluginUri(const std::string& layout) { return std::string(GetPlugDescription().uri) + "#" + layout; }

Lv2World::Lv2World() : mWorld(lilv_world_new())
{
  mMap = {this, &MapUri};
  // The specifications Debian installs, and the bundle as built.
  LilvNode* path = lilv_new_string(mWorld, CREST_LV2_PATH ":/usr/lib/lv2");
  lilv_world_set_option(mWorld, LILV_OPTION_LV2_PATH, path);
  lilv_node_free(path);
  lilv_world_load_all(mWorld);
}

Lv2World::~Lv2World() { lilv_world_free(mWorld); }

const LilvPlugin* Lv2World::Plugin(const std::string& uri)
{
  LilvNode* node = lilv_new_uri(mWorld, uri.c_str());
  const LilvPlugin* p = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), node);
  lilv_node_free(node);
  return p;
}

LV2_URID Lv2World::Map(const char* uri) { return MapUri(this, uri); }

LV2_URID Lv2World::MapUri(LV2_URID_Map_Handle h, const char* uri)
{
  auto* self = static_cast<Lv2World*>(h);
  auto [it, added] = self->mUrids.emplace(uri, static_cast<LV2_URID>(self->mUrids.size() + 1));
  (void)added;
  return it->second;
}

Lv2Instance::Lv2Instance(Lv2World& world, const std::string& layout, double rate) : mWorld(world)
{
  mPlugin = world.Plugin(Lv2PluginUri(layout));
  if (!mPlugin)
    return;
  LV2_Feature map{LV2_URID__map, world.MapFeature()};
  const LV2_Feature* features[] = {&map, nullptr};
  mInstance = lilv_plugin_instantiate(mPlugin, rate, features);
  if (!mInstance)
    return;

  LilvNode* audio = world.Uri(LV2_CORE__AudioPort);
  LilvNode* control = world.Uri(LV2_CORE__ControlPort);
  LilvNode* input = world.Uri(LV2_CORE__InputPort);
  LilvNode* atom = world.Uri(LV2_ATOM__AtomPort);
  const uint32_t n = lilv_plugin_get_num_ports(mPlugin);
  // Controls first, so that the map no longer moves when ports point into it.
  for (uint32_t i = 0; i < n; ++i)
  {
    const LilvPort* port = lilv_plugin_get_port_by_index(mPlugin, i);
    if (!lilv_port_is_a(mPlugin, port, control))
      continue;
    LilvNode* def = nullptr;
    lilv_port_get_range(mPlugin, port, &def, nullptr, nullptr);
    mControls[lilv_node_as_string(lilv_port_get_symbol(mPlugin, port))] = def ? lilv_node_as_float(def) : 0.0f;
    lilv_node_free(def);
  }
  for (uint32_t i = 0; i < n; ++i)
  {
    const LilvPort* port = lilv_plugin_get_port_by_index(mPlugin, i);
    if (lilv_port_is_a(mPlugin, port, control))
      lilv_instance_connect_port(mInstance, i,
                                 &mControls.at(lilv_node_as_string(lilv_port_get_symbol(mPlugin, port))));
    else if (lilv_port_is_a(mPlugin, port, audio))
      (lilv_port_is_a(mPlugin, port, input) ? mAudioIn : mAudioOut).push_back(i);
    else if (lilv_port_is_a(mPlugin, port, atom))
    {
      // An empty sequence: no transport events.
      auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(mSequence);
      seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
      seq->atom.type = world.Map(LV2_ATOM__Sequence);
      lilv_instance_connect_port(mInstance, i, seq);
    }
  }
  mNAudio = static_cast<int>(mAudioIn.size());
  for (LilvNode* node : {audio, control, input, atom})
    lilv_node_free(node);
  lilv_instance_activate(mInstance);
}

Lv2Instance::~Lv2Instance()
{
  if (mInstance)
  {
    lilv_instance_deactivate(mInstance);
    lilv_instance_free(mInstance);
  }
}

void Lv2Instance::ConnectAudio(const std::vector<const float*>& in, const std::vector<float*>& out)
{
  for (size_t c = 0; c < mAudioIn.size() && c < in.size(); ++c)
    lilv_instance_connect_port(mInstance, mAudioIn[c], const_cast<float*>(in[c]));
  for (size_t c = 0; c < mAudioOut.size() && c < out.size(); ++c)
    lilv_instance_connect_port(mInstance, mAudioOut[c], out[c]);
}

namespace
{
struct StateRecord
{
  std::vector<unsigned char> bytes;
  uint32_t type = 0;
  bool stored = false;
};

LV2_State_Status Store(LV2_State_Handle h, uint32_t, const void* value, size_t size, uint32_t type, uint32_t)
{
  auto* r = static_cast<StateRecord*>(h);
  const auto* b = static_cast<const unsigned char*>(value);
  r->bytes.assign(b, b + size);
  r->type = type;
  r->stored = true;
  return LV2_STATE_SUCCESS;
}

const void* Retrieve(LV2_State_Handle h, uint32_t, size_t* size, uint32_t* type, uint32_t* flags)
{
  auto* r = static_cast<StateRecord*>(h);
  *size = r->bytes.size();
  *type = r->type;
  *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
  static const unsigned char kEmpty = 0;
  return r->bytes.empty() ? &kEmpty : r->bytes.data();
}

const LV2_State_Interface* StateOf(LilvInstance* instance)
{
  return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
}
} // namespace

std::vector<unsigned char> Lv2Instance::SaveState()
{
  StateRecord r;
  const LV2_State_Interface* state = StateOf(mInstance);
  if (!state || state->save(lilv_instance_get_handle(mInstance), Store, &r, 0, nullptr) != LV2_STATE_SUCCESS)
    return {};
  if (r.type != mWorld.Map(LV2_ATOM__Chunk))
    return {};
  return r.bytes;
}

LV2_State_Status Lv2Instance::RestoreState(const std::vector<unsigned char>& record, const char* typeUri)
{
  StateRecord r;
  r.bytes = record;
  r.type = mWorld.Map(typeUri ? typeUri : LV2_ATOM__Chunk);
  const LV2_State_Interface* state = StateOf(mInstance);
  if (!state)
    return LV2_STATE_ERR_UNKNOWN;
  return state->restore(lilv_instance_get_handle(mInstance), Retrieve, &r, 0, nullptr);
}
