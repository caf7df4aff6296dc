// A minimal stereo CLAP that passes audio through and keeps one parameter
// in a 16-byte state record, built three times: keeping every rule
// (CREST_BREAK_none), reading its state with one read call however few
// bytes it gives (CREST_BREAK_short_reads), and changing one output sample
// (CREST_BREAK_one_sample). The test host must pass the first and fail the
// others, each on its own rule.
#include <clap/entry.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/plugin-factory.h>
#include <clap/version.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
constexpr clap_id kGainId = 7;
constexpr double kMagic = 1234.5;

struct Breaker
{
  clap_plugin_t plugin{};
  double gain = 0.5;
  long frames = 0;
};

Breaker* Of(const clap_plugin_t* p) { return static_cast<Breaker*>(p->plugin_data); }

const char* kFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_STEREO, nullptr};
const clap_plugin_descriptor_t kDescriptor = {
  CLAP_VERSION, "org.example.rule-breaker", "Rule Breaker", "tests", "", "", "", "1.0.0", "", kFeatures};

void Apply(Breaker* b, const clap_input_events_t* in)
{
  const uint32_t n = in ? in->size(in) : 0;
  for (uint32_t i = 0; i < n; ++i)
  {
    const clap_event_header_t* ev = in->get(in, i);
    if (ev && ev->space_id == CLAP_CORE_EVENT_SPACE_ID && ev->type == CLAP_EVENT_PARAM_VALUE)
    {
      const auto* v = reinterpret_cast<const clap_event_param_value_t*>(ev);
      if (v->param_id == kGainId && std::isfinite(v->value))
        b->gain = v->value < 0 ? 0 : v->value > 1 ? 1 : v->value;
    }
  }
}

clap_process_status Process(const clap_plugin_t* p, const clap_process_t* proc)
{
  Breaker* b = Of(p);
  Apply(b, proc->in_events);
  const clap_audio_buffer_t& in = proc->audio_inputs[0];
  const clap_audio_buffer_t& out = proc->audio_outputs[0];
  for (uint32_t c = 0; c < 2; ++c)
    if (in.data32[c] != out.data32[c])
      std::memmove(out.data32[c], in.data32[c], sizeof(float) * proc->frames_count);
#ifdef CREST_BREAK_one_sample
  // Frame 1000 of the left channel comes out one step off.
  if (b->frames <= 1000 && 1000 < b->frames + static_cast<long>(proc->frames_count))
  {
    float& s = out.data32[0][1000 - b->frames];
    s = std::nextafter(s, 1e9f);
  }
#endif
  b->frames += proc->frames_count;
  return CLAP_PROCESS_CONTINUE;
}

uint32_t PortCount(const clap_plugin_t*, bool) { return 1; }
bool PortGet(const clap_plugin_t*, uint32_t index, bool isInput, clap_audio_port_info_t* info)
{
  if (index != 0)
    return false;
  info->id = 0;
  std::snprintf(info->name, sizeof info->name, "%s", isInput ? "in" : "out");
  info->flags = CLAP_AUDIO_PORT_IS_MAIN;
  info->channel_count = 2;
  info->port_type = CLAP_PORT_STEREO;
  info->in_place_pair = 0;
  return true;
}
const clap_plugin_audio_ports_t kPorts = {PortCount, PortGet};

uint32_t ParamCount(const clap_plugin_t*) { return 1; }
bool ParamInfo(const clap_plugin_t*, uint32_t index, clap_param_info_t* info)
{
  if (index != 0)
    return false;
  *info = clap_param_info_t{};
  info->id = kGainId;
  info->flags = CLAP_PARAM_IS_AUTOMATABLE;
  std::snprintf(info->name, sizeof info->name, "Gain");
  info->max_value = 1.0;
  info->default_value = 0.5;
  return true;
}
bool ParamValue(const clap_plugin_t* p, clap_id id, double* v)
{
  *v = Of(p)->gain;
  return id == kGainId;
}
bool ToText(const clap_plugin_t*, clap_id, double v, char* t, uint32_t n)
{
  std::snprintf(t, n, "%.3f", v);
  return true;
}
bool ToValue(const clap_plugin_t*, clap_id, const char* t, double* v) { return std::sscanf(t, "%lf", v) == 1; }
void Flush(const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t*) { Apply(Of(p), in); }
const clap_plugin_params_t kParams = {ParamCount, ParamInfo, ParamValue, ToText, ToValue, Flush};

bool Save(const clap_plugin_t* p, const clap_ostream_t* s)
{
  const double record[2] = {kMagic, Of(p)->gain};
  const auto* bytes = reinterpret_cast<const char*>(record);
  for (uint64_t done = 0; done < sizeof record;)
  {
    const int64_t n = s->write(s, bytes + done, sizeof record - done);
    if (n <= 0)
      return false;
    done += static_cast<uint64_t>(n);
  }
  return true;
}
bool Load(const clap_plugin_t* p, const clap_istream_t* s)
{
  double record[2] = {0, 0};
  auto* bytes = reinterpret_cast<char*>(record);
  uint64_t done = 0;
#ifdef CREST_BREAK_short_reads
  const int64_t n = s->read(s, bytes, sizeof record);
  done = n > 0 ? static_cast<uint64_t>(n) : 0;
#else
  while (done < sizeof record)
  {
    const int64_t n = s->read(s, bytes + done, sizeof record - done);
    if (n <= 0)
      break;
    done += static_cast<uint64_t>(n);
  }
#endif
  if (done < sizeof record || record[0] != kMagic || !std::isfinite(record[1]))
    return false;
  Of(p)->gain = record[1];
  return true;
}
const clap_plugin_state_t kState = {Save, Load};

const void* Extension(const clap_plugin_t*, const char* id)
{
  if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0)
    return &kPorts;
  if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
    return &kParams;
  if (std::strcmp(id, CLAP_EXT_STATE) == 0)
    return &kState;
  return nullptr;
}

const clap_plugin_t* Create(const clap_plugin_factory_t*, const clap_host_t*, const char* id)
{
  if (std::strcmp(id, kDescriptor.id) != 0)
    return nullptr;
  auto* b = new Breaker;
  clap_plugin_t& p = b->plugin;
  p.desc = &kDescriptor;
  p.plugin_data = b;
  p.init = [](const clap_plugin_t*) { return true; };
  p.destroy = [](const clap_plugin_t* self) { delete Of(self); };
  p.activate = [](const clap_plugin_t* self, double, uint32_t, uint32_t) {
    Of(self)->frames = 0;
    return true;
  };
  p.deactivate = [](const clap_plugin_t*) {};
  p.start_processing = [](const clap_plugin_t*) { return true; };
  p.stop_processing = [](const clap_plugin_t*) {};
  p.reset = [](const clap_plugin_t*) {};
  p.process = Process;
  p.get_extension = Extension;
  p.on_main_thread = [](const clap_plugin_t*) {};
  return &p;
}

uint32_t Count(const clap_plugin_factory_t*) { return 1; }
const clap_plugin_descriptor_t* Descriptor(const clap_plugin_factory_t*, uint32_t i)
{
  return i == 0 ? &kDescriptor : nullptr;
}
const clap_plugin_factory_t kFactory = {Count, Descriptor, Create};
} // namespace

extern "C" {
CLAP_EXPORT extern const clap_plugin_entry_t clap_entry;
const clap_plugin_entry_t clap_entry = {
  CLAP_VERSION, [](const char*) { return true; }, [] {},
  [](const char* id) -> const void* { return std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr; }};
}
