// A VST3 effect that breaks one rule, for the test host to fail: it
// passes its input through but writes only the first 1024 frames of a
// block, as if every host split its blocks. Everything else it does right
// enough for a host to load and run it: a factory with one class, a
// component with one stereo bus each way, an audio processor.
#include <travesty/audio_processor.h>
#include <travesty/component.h>
#include <travesty/factory.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace
{
constexpr v3_tuid kClassId = V3_ID(0x42726F6B, 0x656E5673, 0x74335465, 0x73743031);

struct Broken;
struct Face
{
  const void* vtable;
  Broken* owner;
};
Broken* Of(void* self) { return static_cast<Face*>(self)->owner; }

struct Broken
{
  Face component, processor;
  std::atomic<uint32_t> refs{1};
};

v3_result Query(void* self, const v3_tuid iid, void** obj)
{
  Broken* b = Of(self);
  Face* f = nullptr;
  if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_base_iid) ||
      v3_tuid_match(iid, v3_component_iid))
    f = &b->component;
  else if (v3_tuid_match(iid, v3_audio_processor_iid))
    f = &b->processor;
  *obj = f;
  if (!f)
    return V3_NO_INTERFACE;
  ++b->refs;
  return V3_OK;
}
uint32_t Ref(void* self) { return ++Of(self)->refs; }
uint32_t Unref(void* self)
{
  Broken* b = Of(self);
  const uint32_t left = --b->refs;
  if (!left)
    delete b;
  return left;
}

v3_result Process(void*, v3_process_data* d)
{
  if (d->nframes <= 0 || d->num_input_buses < 1 || d->num_output_buses < 1)
    return V3_OK;
  // The broken rule: frames past 1024 stay as they were.
  const auto n = static_cast<size_t>(std::min(d->nframes, 1024));
  for (int c = 0; c < 2; ++c)
    std::memmove(d->outputs[0].channel_buffers_32[c], d->inputs[0].channel_buffers_32[c], n * sizeof(float));
  return V3_OK;
}

v3_component_cpp MakeComponent()
{
  v3_component_cpp t{};
  t.query_interface = Query;
  t.ref = Ref;
  t.unref = Unref;
  t.base.initialize = [](void*, v3_funknown**) { return static_cast<v3_result>(V3_OK); };
  t.base.terminate = [](void*) { return static_cast<v3_result>(V3_OK); };
  t.comp.get_controller_class_id = [](void*, v3_tuid) { return static_cast<v3_result>(V3_NOT_IMPLEMENTED); };
  t.comp.set_io_mode = [](void*, int32_t) { return static_cast<v3_result>(V3_OK); };
  t.comp.get_bus_count = [](void*, int32_t type, int32_t) { return type == V3_AUDIO ? 1 : 0; };
  t.comp.get_bus_info = [](void*, int32_t type, int32_t dir, int32_t, v3_bus_info* info) {
    *info = v3_bus_info{};
    info->media_type = type;
    info->direction = dir;
    info->channel_count = 2;
    info->flags = V3_DEFAULT_ACTIVE;
    return static_cast<v3_result>(V3_OK);
  };
  t.comp.get_routing_info = [](void*, v3_routing_info*, v3_routing_info*) {
    return static_cast<v3_result>(V3_NOT_IMPLEMENTED);
  };
  t.comp.activate_bus = [](void*, int32_t, int32_t, int32_t, v3_bool) { return static_cast<v3_result>(V3_OK); };
  t.comp.set_active = [](void*, v3_bool) { return static_cast<v3_result>(V3_OK); };
  t.comp.set_state = [](void*, v3_bstream**) { return static_cast<v3_result>(V3_OK); };
  t.comp.get_state = [](void*, v3_bstream**) { return static_cast<v3_result>(V3_OK); };
  return t;
}

v3_audio_processor_cpp MakeProcessor()
{
  v3_audio_processor_cpp t{};
  t.query_interface = Query;
  t.ref = Ref;
  t.unref = Unref;
  t.proc.set_bus_arrangements = [](void*, v3_speaker_arrangement*, int32_t, v3_speaker_arrangement*, int32_t) {
    return static_cast<v3_result>(V3_OK);
  };
  t.proc.get_bus_arrangement = [](void*, int32_t, int32_t, v3_speaker_arrangement* a) {
    *a = V3_SPEAKER_L | V3_SPEAKER_R;
    return static_cast<v3_result>(V3_OK);
  };
  t.proc.can_process_sample_size = [](void*, int32_t s) {
    return static_cast<v3_result>(s == V3_SAMPLE_32 ? V3_OK : V3_FALSE);
  };
  t.proc.get_latency_samples = [](void*) { return 0u; };
  t.proc.setup_processing = [](void*, v3_process_setup*) { return static_cast<v3_result>(V3_OK); };
  t.proc.set_processing = [](void*, v3_bool) { return static_cast<v3_result>(V3_OK); };
  t.proc.process = Process;
  t.proc.get_tail_samples = [](void*) { return 0u; };
  return t;
}

const v3_component_cpp kComponent = MakeComponent();
const v3_audio_processor_cpp kProcessor = MakeProcessor();

v3_plugin_factory_cpp MakeFactory()
{
  v3_plugin_factory_cpp t{};
  t.query_interface = [](void* self, const v3_tuid iid, void** obj) {
    const bool ok = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_factory_iid);
    *obj = ok ? self : nullptr;
    return static_cast<v3_result>(ok ? V3_OK : V3_NO_INTERFACE);
  };
  t.ref = [](void*) { return 1u; };
  t.unref = [](void*) { return 1u; };
  t.v1.get_factory_info = [](void*, v3_factory_info* info) {
    *info = v3_factory_info{};
    std::strcpy(info->vendor, "Test");
    return static_cast<v3_result>(V3_OK);
  };
  t.v1.num_classes = [](void*) { return 1; };
  t.v1.get_class_info = [](void*, int32_t idx, v3_class_info* info) {
    if (idx != 0)
      return static_cast<v3_result>(V3_INVALID_ARG);
    *info = v3_class_info{};
    std::memcpy(info->class_id, kClassId, sizeof kClassId);
    info->cardinality = 0x7FFFFFFF;
    std::strcpy(info->category, "Audio Module Class");
    std::strcpy(info->name, "Broken Pass-through");
    return static_cast<v3_result>(V3_OK);
  };
  t.v1.create_instance = [](void*, const v3_tuid cid, const v3_tuid iid, void** obj) {
    *obj = nullptr;
    if (!v3_tuid_match(cid, kClassId))
      return static_cast<v3_result>(V3_NO_INTERFACE);
    auto* b = new Broken;
    b->component = {&kComponent, b};
    b->processor = {&kProcessor, b};
    const v3_result r = Query(&b->component, iid, obj);
    Unref(&b->component);
    return r;
  };
  return t;
}

const v3_plugin_factory_cpp kFactoryTable = MakeFactory();
const void* kFactory = &kFactoryTable;
} // namespace

extern "C" __attribute__((visibility("default"))) void* GetPluginFactory() { return &kFactory; }
extern "C" __attribute__((visibility("default"))) bool ModuleEntry(void*) { return true; }
extern "C" __attribute__((visibility("default"))) bool ModuleExit() { return true; }
