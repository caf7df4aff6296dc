#include "tests/support/Vst3Host.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include <dirent.h>
#include <dlfcn.h>
#include <poll.h>

namespace
{
using Clock = std::chrono::steady_clock;

std::string Utf16(const int16_t* s, size_t n)
{
  std::string out;
  for (size_t i = 0; i < n && s[i]; ++i)
    out += s[i] > 0 && s[i] < 0x80 ? static_cast<char>(s[i]) : '?';
  return out;
}

// The IBStream: a record in memory, moved at most perCall bytes a call.
struct MemStream
{
  const void* vt;
  std::vector<uint8_t> data;
  size_t pos = 0;
  int perCall = 1;
};

struct StreamTable
{
  v3_funknown unknown;
  v3_bstream stream;
};

MemStream* Stream(void* self) { return static_cast<MemStream*>(self); }

const StreamTable kStream = {
  {[](void* self, const v3_tuid iid, void** obj) {
     const bool ok = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_bstream_iid);
     *obj = ok ? self : nullptr;
     return static_cast<v3_result>(ok ? V3_OK : V3_NO_INTERFACE);
   },
   [](void*) { return 1u; }, [](void*) { return 1u; }},
  {[](void* self, void* buffer, int32_t n, int32_t* got) {
     MemStream* s = Stream(self);
     const auto take = static_cast<int32_t>(std::min<size_t>(
       {static_cast<size_t>(std::max(n, 0)), static_cast<size_t>(s->perCall), s->data.size() - s->pos}));
     if (take > 0)
       std::memcpy(buffer, s->data.data() + s->pos, static_cast<size_t>(take));
     s->pos += static_cast<size_t>(take);
     if (got)
       *got = take;
     return static_cast<v3_result>(V3_OK);
   },
   [](void* self, void* buffer, int32_t n, int32_t* put) {
     MemStream* s = Stream(self);
     const auto take = std::min(std::max(n, 0), s->perCall);
     const auto* b = static_cast<const uint8_t*>(buffer);
     s->data.resize(std::max(s->data.size(), s->pos + static_cast<size_t>(take)));
     if (take > 0)
       std::memcpy(s->data.data() + s->pos, b, static_cast<size_t>(take));
     s->pos += static_cast<size_t>(take);
     if (put)
       *put = take;
     return static_cast<v3_result>(V3_OK);
   },
   [](void* self, int64_t pos, int32_t mode, int64_t* result) {
     MemStream* s = Stream(self);
     const int64_t base = mode == V3_SEEK_SET   ? 0
                          : mode == V3_SEEK_CUR ? static_cast<int64_t>(s->pos)
                                                : static_cast<int64_t>(s->data.size());
     const int64_t to = std::clamp<int64_t>(base + pos, 0, static_cast<int64_t>(s->data.size()));
     s->pos = static_cast<size_t>(to);
     if (result)
       *result = to;
     return static_cast<v3_result>(V3_OK);
   },
   [](void* self, int64_t* pos) {
     *pos = static_cast<int64_t>(Stream(self)->pos);
     return static_cast<v3_result>(V3_OK);
   }}};

// Parameter changes: one point per parameter, at offset 0.
struct Queue
{
  const void* vt;
  v3_param_id id;
  double value;
};
struct Changes
{
  const void* vt;
  std::vector<Queue> queues;
};

template <class T>
void NoRefs(T& t)
{
  t.query_interface = [](void*, const v3_tuid, void** obj) {
    *obj = nullptr;
    return static_cast<v3_result>(V3_NO_INTERFACE);
  };
  t.ref = [](void*) { return 1u; };
  t.unref = [](void*) { return 1u; };
}

v3_param_value_queue_cpp MakeQueueTable()
{
  v3_param_value_queue_cpp t{};
  NoRefs(t);
  t.queue.get_param_id = [](void* self) { return static_cast<Queue*>(self)->id; };
  t.queue.get_point_count = [](void*) { return 1; };
  t.queue.get_point = [](void* self, int32_t idx, int32_t* offset, double* value) {
    if (idx != 0)
      return static_cast<v3_result>(V3_INVALID_ARG);
    *offset = 0;
    *value = static_cast<Queue*>(self)->value;
    return static_cast<v3_result>(V3_OK);
  };
  // Output queues keep the last point the plug-in adds.
  t.queue.add_point = [](void* self, int32_t, double value, int32_t* idx) {
    static_cast<Queue*>(self)->value = value;
    if (idx)
      *idx = 0;
    return static_cast<v3_result>(V3_OK);
  };
  return t;
}
const v3_param_value_queue_cpp kQueue = MakeQueueTable();

v3_param_changes_cpp MakeChangesTable()
{
  v3_param_changes_cpp t{};
  NoRefs(t);
  t.changes.get_param_count = [](void* self) {
    return static_cast<int32_t>(static_cast<Changes*>(self)->queues.size());
  };
  t.changes.get_param_data = [](void* self, int32_t idx) {
    auto& q = static_cast<Changes*>(self)->queues;
    return idx >= 0 && static_cast<size_t>(idx) < q.size()
             ? reinterpret_cast<v3_param_value_queue**>(&q[static_cast<size_t>(idx)])
             : nullptr;
  };
  t.changes.add_param_data = [](void* self, v3_param_id* id, int32_t* index) -> v3_param_value_queue** {
    auto& q = static_cast<Changes*>(self)->queues;
    // Room is reserved before the call: the queues must not move.
    if (!id || q.size() == q.capacity())
      return nullptr;
    q.push_back({&kQueue, *id, 0.0});
    if (index)
      *index = static_cast<int32_t>(q.size() - 1);
    return reinterpret_cast<v3_param_value_queue**>(&q.back());
  };
  return t;
}
const v3_param_changes_cpp kChanges = MakeChangesTable();

// A message the plug-in asks the host for (IMessage with its attribute
// list): plug-ins with a separate controller talk to it through these.
struct Message
{
  struct Face
  {
    const void* vt;
    Message* owner;
  };
  Face msg, attrs;
  std::atomic<uint32_t> refs{1};
  std::string id;
  std::map<std::string, std::vector<uint8_t>> values;

  static Message* Of(void* self) { return static_cast<Face*>(self)->owner; }
  static v3_result Query(void* self, const v3_tuid iid, void** obj)
  {
    Message* m = Of(self);
    Face* f = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_message_iid) ? &m->msg
              : v3_tuid_match(iid, v3_attribute_list_iid)                               ? &m->attrs
                                                                                        : nullptr;
    *obj = f;
    if (!f)
      return V3_NO_INTERFACE;
    ++m->refs;
    return V3_OK;
  }
  static uint32_t Ref(void* self) { return ++Of(self)->refs; }
  static uint32_t Unref(void* self)
  {
    Message* m = Of(self);
    const uint32_t left = --m->refs;
    if (!left)
      delete m;
    return left;
  }
  template <class T>
  static v3_result Set(void* self, const char* key, const T* data, size_t size)
  {
    const auto* b = reinterpret_cast<const uint8_t*>(data);
    Of(self)->values[key ? key : ""] = std::vector<uint8_t>(b, b + size);
    return V3_OK;
  }
  template <class T>
  static v3_result Get(void* self, const char* key, T* out)
  {
    auto& v = Of(self)->values;
    auto it = v.find(key ? key : "");
    if (it == v.end() || it->second.size() != sizeof(T))
      return V3_FALSE;
    std::memcpy(out, it->second.data(), sizeof(T));
    return V3_OK;
  }

  struct Tables
  {
    v3_message_cpp msg{};
    v3_attribute_list_cpp attrs{};
    Tables()
    {
      msg.query_interface = attrs.query_interface = Query;
      msg.ref = attrs.ref = Ref;
      msg.unref = attrs.unref = Unref;
      msg.msg.get_message_id = [](void* self) { return Of(self)->id.c_str(); };
      msg.msg.set_message_id = [](void* self, const char* id) { Of(self)->id = id ? id : ""; };
      msg.msg.get_attributes = [](void* self) { return reinterpret_cast<v3_attribute_list**>(&Of(self)->attrs); };
      attrs.attrlist.set_int = [](void* self, const char* k, int64_t v) { return Set(self, k, &v, sizeof v); };
      attrs.attrlist.get_int = [](void* self, const char* k, int64_t* v) { return Get(self, k, v); };
      attrs.attrlist.set_float = [](void* self, const char* k, double v) { return Set(self, k, &v, sizeof v); };
      attrs.attrlist.get_float = [](void* self, const char* k, double* v) { return Get(self, k, v); };
      attrs.attrlist.set_string = [](void* self, const char* k, const int16_t* s) {
        size_t n = 0;
        while (s && s[n])
          ++n;
        return Set(self, k, s, (n + 1) * sizeof(int16_t));
      };
      attrs.attrlist.get_string = [](void* self, const char* k, int16_t* s, uint32_t size) {
        auto& v = Of(self)->values;
        auto it = v.find(k ? k : "");
        if (it == v.end() || size == 0)
          return static_cast<v3_result>(V3_FALSE);
        const size_t n = std::min<size_t>(it->second.size(), size);
        std::memcpy(s, it->second.data(), n);
        s[n / sizeof(int16_t) - 1] = 0;
        return static_cast<v3_result>(V3_OK);
      };
      attrs.attrlist.set_binary = [](void* self, const char* k, const void* d, uint32_t n) {
        return Set(self, k, static_cast<const uint8_t*>(d), n);
      };
      attrs.attrlist.get_binary = [](void* self, const char* k, const void** d, uint32_t* n) {
        auto& v = Of(self)->values;
        auto it = v.find(k ? k : "");
        if (it == v.end())
          return static_cast<v3_result>(V3_FALSE);
        *d = it->second.data();
        *n = static_cast<uint32_t>(it->second.size());
        return static_cast<v3_result>(V3_OK);
      };
    }
  };

  Message()
  {
    static const Tables tables;
    msg = {&tables.msg, this};
    attrs = {&tables.attrs, this};
  }
};
} // namespace

// --- The module ---

Vst3Module::Vst3Module(const std::string& bundle)
{
  const std::string dir = bundle + "/Contents/x86_64-linux";
  std::string so;
  if (DIR* d = opendir(dir.c_str()))
  {
    while (dirent* e = readdir(d))
      if (std::strstr(e->d_name, ".so"))
        so = dir + "/" + e->d_name;
    closedir(d);
  }
  if (so.empty())
  {
    mError = "no module in " + dir;
    return;
  }
  mLib = dlopen(so.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mLib)
  {
    mError = dlerror();
    return;
  }
  auto entry = reinterpret_cast<bool (*)(void*)>(dlsym(mLib, "ModuleEntry"));
  auto get = reinterpret_cast<v3_plugin_factory** (*)()>(dlsym(mLib, "GetPluginFactory"));
  if (!entry || !get || !entry(mLib))
  {
    mError = "no ModuleEntry or GetPluginFactory, or ModuleEntry failed";
    return;
  }
  mFactory = get();
  if (!mFactory)
    mError = "GetPluginFactory gave no factory";
}

Vst3Module::~Vst3Module()
{
  if (mFactory)
    v3_cpp_obj_unref(mFactory);
  if (mLib)
  {
    if (auto exit = reinterpret_cast<bool (*)()>(dlsym(mLib, "ModuleExit")))
      exit();
    dlclose(mLib);
  }
}

std::vector<v3_class_info_2> Vst3Module::Classes()
{
  std::vector<v3_class_info_2> list;
  v3_plugin_factory_2** f2 = nullptr;
  if (v3_cpp_obj_query_interface(mFactory, v3_plugin_factory_2_iid, &f2) != V3_OK)
    f2 = nullptr;
  const int32_t n = v3_cpp_obj(mFactory)->num_classes(mFactory);
  for (int32_t i = 0; i < n; ++i)
  {
    v3_class_info_2 info{};
    if (f2)
      v3_cpp_obj(f2)->get_class_info_2(f2, i, &info);
    else
    {
      v3_class_info v1{};
      v3_cpp_obj(mFactory)->get_class_info(mFactory, i, &v1);
      std::memcpy(info.class_id, v1.class_id, sizeof info.class_id);
      std::memcpy(info.category, v1.category, sizeof info.category);
      std::memcpy(info.name, v1.name, sizeof info.name);
    }
    if (std::strcmp(info.category, "Audio Module Class") == 0)
      list.push_back(info);
  }
  if (f2)
    v3_cpp_obj_unref(f2);
  return list;
}

// --- The host side of an instance ---

struct Vst3Instance::Host
{
  struct Face
  {
    const void* vt;
    Host* host;
  };
  Face app, handler, frame, loop;
  std::vector<Vst3Edit> edits;
  std::vector<v3_view_rect> resizes;
  struct Timer
  {
    v3_timer_handler** handler;
    uint64_t ms;
    Clock::time_point next;
  };
  std::vector<Timer> timers;
  std::vector<std::pair<v3_event_handler**, int>> fds;
  v3_plugin_view** view = nullptr;

  static Host* Of(void* self) { return static_cast<Face*>(self)->host; }

  static v3_result Query(void* self, const v3_tuid iid, void** obj)
  {
    Host* h = Of(self);
    Face* f = nullptr;
    if (v3_tuid_match(iid, v3_funknown_iid))
      f = static_cast<Face*>(self);
    else if (v3_tuid_match(iid, v3_host_application_iid))
      f = &h->app;
    else if (v3_tuid_match(iid, v3_component_handler_iid))
      f = &h->handler;
    else if (v3_tuid_match(iid, v3_plugin_frame_iid))
      f = &h->frame;
    else if (v3_tuid_match(iid, v3_run_loop_iid))
      f = &h->loop;
    *obj = f;
    return f ? V3_OK : V3_NO_INTERFACE;
  }

  template <class T>
  static void Unknown(T& t)
  {
    t.query_interface = Query;
    t.ref = [](void*) { return 1u; };
    t.unref = [](void*) { return 1u; };
  }

  struct HandlerTable
  {
    v3_funknown unknown;
    v3_component_handler handler;
  };
  struct Tables
  {
    v3_host_application_cpp app{};
    HandlerTable handler{};
    v3_plugin_frame_cpp frame{};
    v3_run_loop_cpp loop{};
    Tables()
    {
      Unknown(app);
      Unknown(handler.unknown);
      Unknown(frame);
      Unknown(loop);
      app.app.get_name = [](void*, v3_str_128 name) {
        const char* text = "crest test host";
        for (int i = 0; i < 128; ++i)
          if (!(name[i] = static_cast<int16_t>(text[i])))
            break;
        return static_cast<v3_result>(V3_OK);
      };
      app.app.create_instance = [](void*, v3_tuid cid, v3_tuid iid, void** obj) {
        *obj = nullptr;
        if (!v3_tuid_match(cid, v3_message_iid) && !v3_tuid_match(iid, v3_message_iid))
          return static_cast<v3_result>(V3_NO_INTERFACE);
        *obj = &(new Message)->msg;
        return static_cast<v3_result>(V3_OK);
      };
      handler.handler.begin_edit = [](void* self, v3_param_id id) {
        Of(self)->edits.push_back({'b', id, 0.0});
        return static_cast<v3_result>(V3_OK);
      };
      handler.handler.perform_edit = [](void* self, v3_param_id id, double v) {
        Of(self)->edits.push_back({'p', id, v});
        return static_cast<v3_result>(V3_OK);
      };
      handler.handler.end_edit = [](void* self, v3_param_id id) {
        Of(self)->edits.push_back({'e', id, 0.0});
        return static_cast<v3_result>(V3_OK);
      };
      handler.handler.restart_component = [](void*, int32_t) { return static_cast<v3_result>(V3_OK); };
      frame.frame.resize_view = [](void* self, v3_plugin_view** view, v3_view_rect* rect) {
        Of(self)->resizes.push_back(*rect);
        // As hosts do: the window takes the size, then the view is told.
        return v3_cpp_obj(view)->on_size(view, rect);
      };
      loop.loop.register_event_handler = [](void* self, v3_event_handler** h, int fd) {
        Of(self)->fds.emplace_back(h, fd);
        return static_cast<v3_result>(V3_OK);
      };
      loop.loop.unregister_event_handler = [](void* self, v3_event_handler** h) {
        auto& fds = Of(self)->fds;
        fds.erase(std::remove_if(fds.begin(), fds.end(), [h](const auto& f) { return f.first == h; }), fds.end());
        return static_cast<v3_result>(V3_OK);
      };
      loop.loop.register_timer = [](void* self, v3_timer_handler** h, uint64_t ms) {
        Of(self)->timers.push_back({h, std::max<uint64_t>(ms, 1), Clock::now() + std::chrono::milliseconds(ms)});
        return static_cast<v3_result>(V3_OK);
      };
      loop.loop.unregister_timer = [](void* self, v3_timer_handler** h) {
        auto& t = Of(self)->timers;
        t.erase(std::remove_if(t.begin(), t.end(), [h](const Timer& x) { return x.handler == h; }), t.end());
        return static_cast<v3_result>(V3_OK);
      };
    }
  };

  Host()
  {
    static const Tables tables;
    app = {&tables.app, this};
    handler = {&tables.handler, this};
    frame = {&tables.frame, this};
    loop = {&tables.loop, this};
  }
};

Vst3Instance::Vst3Instance(Vst3Module& module, const v3_tuid classId) : mHost(new Host)
{
  v3_plugin_factory** f = module.Factory();
  if (!f)
    return;
  auto* context = reinterpret_cast<v3_funknown**>(&mHost->app);
  v3_component** comp = nullptr;
  if (v3_cpp_obj(f)->create_instance(f, classId, v3_component_iid, reinterpret_cast<void**>(&comp)) != V3_OK || !comp)
    return;
  if (v3_cpp_obj_initialize(comp, context) != V3_OK)
  {
    v3_cpp_obj_unref(comp);
    return;
  }
  mComponent = comp;
  if (v3_cpp_obj_query_interface(comp, v3_audio_processor_iid, &mProcessor) != V3_OK)
    mProcessor = nullptr;
  if (v3_cpp_obj_query_interface(comp, v3_edit_controller_iid, &mController) != V3_OK)
  {
    mController = nullptr;
    v3_tuid cid{};
    if (v3_cpp_obj(comp)->get_controller_class_id(comp, cid) == V3_OK &&
        v3_cpp_obj(f)->create_instance(f, cid, v3_edit_controller_iid, reinterpret_cast<void**>(&mController)) ==
          V3_OK &&
        mController)
    {
      mSeparateController = true;
      v3_cpp_obj_initialize(mController, context);
      // The two halves talk through their connection points.
      if (v3_cpp_obj_query_interface(comp, v3_connection_point_iid, &mComponentPoint) != V3_OK ||
          v3_cpp_obj_query_interface(mController, v3_connection_point_iid, &mControllerPoint) != V3_OK)
        mComponentPoint = mControllerPoint = nullptr;
      if (mComponentPoint && mControllerPoint)
      {
        v3_cpp_obj(mComponentPoint)->connect(mComponentPoint, mControllerPoint);
        v3_cpp_obj(mControllerPoint)->connect(mControllerPoint, mComponentPoint);
      }
    }
    else
      mController = nullptr;
  }
  if (mController)
    v3_cpp_obj(mController)
      ->set_component_handler(mController, reinterpret_cast<v3_component_handler**>(&mHost->handler));
  for (int dir : {V3_INPUT, V3_OUTPUT})
  {
    if (v3_cpp_obj(comp)->get_bus_count(comp, V3_AUDIO, dir) < 1)
      continue;
    v3_bus_info info{};
    v3_cpp_obj(comp)->get_bus_info(comp, V3_AUDIO, dir, 0, &info);
    (dir == V3_INPUT ? mNIn : mNOut) = info.channel_count;
    v3_cpp_obj(comp)->activate_bus(comp, V3_AUDIO, dir, 0, 1);
  }
}

Vst3Instance::~Vst3Instance()
{
  CloseEditor();
  Deactivate();
  if (mComponentPoint && mControllerPoint)
  {
    v3_cpp_obj(mComponentPoint)->disconnect(mComponentPoint, mControllerPoint);
    v3_cpp_obj(mControllerPoint)->disconnect(mControllerPoint, mComponentPoint);
  }
  for (v3_connection_point** p : {mComponentPoint, mControllerPoint})
    if (p)
      v3_cpp_obj_unref(p);
  if (mController)
  {
    v3_cpp_obj(mController)->set_component_handler(mController, nullptr);
    if (mSeparateController)
      v3_cpp_obj_terminate(mController);
    v3_cpp_obj_unref(mController);
  }
  if (mProcessor)
    v3_cpp_obj_unref(mProcessor);
  if (mComponent)
  {
    v3_cpp_obj_terminate(mComponent);
    v3_cpp_obj_unref(mComponent);
  }
  delete mHost;
}

std::string Vst3Instance::Activate(double rate, int maxBlock)
{
  if (!Ok())
    return "no instance";
  Deactivate();
  v3_speaker_arrangement in = 0, out = 0;
  v3_cpp_obj(mProcessor)->get_bus_arrangement(mProcessor, V3_INPUT, 0, &in);
  v3_cpp_obj(mProcessor)->get_bus_arrangement(mProcessor, V3_OUTPUT, 0, &out);
  v3_cpp_obj(mProcessor)->set_bus_arrangements(mProcessor, &in, 1, &out, 1);
  if (v3_cpp_obj(mProcessor)->can_process_sample_size(mProcessor, V3_SAMPLE_32) != V3_OK)
    return "refuses 32-bit samples";
  v3_process_setup setup{V3_REALTIME, V3_SAMPLE_32, maxBlock, rate};
  if (v3_cpp_obj(mProcessor)->setup_processing(mProcessor, &setup) != V3_OK)
    return "setup_processing failed at " + std::to_string(rate);
  if (v3_cpp_obj(mComponent)->set_active(mComponent, 1) != V3_OK)
    return "set_active failed at " + std::to_string(rate);
  mActive = true;
  const v3_result r = v3_cpp_obj(mProcessor)->set_processing(mProcessor, 1);
  if (r != V3_OK && r != V3_NOT_IMPLEMENTED)
    return "set_processing failed";
  return "";
}

void Vst3Instance::Deactivate()
{
  if (!mActive)
    return;
  v3_cpp_obj(mProcessor)->set_processing(mProcessor, 0);
  v3_cpp_obj(mComponent)->set_active(mComponent, 0);
  mActive = false;
}

v3_result Vst3Instance::Process(const float* const* in, float* const* out, int n,
                                const std::vector<std::pair<v3_param_id, double>>& changes)
{
  Changes params{&kChanges, {}};
  for (const auto& c : changes)
    params.queues.push_back({&kQueue, c.first, c.second});
  v3_audio_bus_buffers inBus{}, outBus{};
  inBus.num_channels = mNIn;
  inBus.channel_buffers_32 = const_cast<float**>(in);
  outBus.num_channels = mNOut;
  outBus.channel_buffers_32 = const_cast<float**>(out);
  v3_process_context ctx{};
  ctx.state = V3_PROCESS_CTX_PLAYING | V3_PROCESS_CTX_TEMPO_VALID;
  ctx.bpm = 120.0;
  v3_process_data d{};
  d.process_mode = V3_REALTIME;
  d.symbolic_sample_size = V3_SAMPLE_32;
  d.nframes = n;
  d.num_input_buses = mNIn > 0 ? 1 : 0;
  d.num_output_buses = mNOut > 0 ? 1 : 0;
  d.inputs = &inBus;
  d.outputs = &outBus;
  d.input_params = reinterpret_cast<v3_param_changes**>(&params);
  d.ctx = &ctx;
  Changes outParams{&kChanges, {}};
  outParams.queues.reserve(256);
  d.output_params = reinterpret_cast<v3_param_changes**>(&outParams);
  return v3_cpp_obj(mProcessor)->process(mProcessor, &d);
}

std::vector<v3_param_info> Vst3Instance::Params()
{
  std::vector<v3_param_info> list;
  if (!mController)
    return list;
  const int32_t n = v3_cpp_obj(mController)->get_parameter_count(mController);
  for (int32_t i = 0; i < n; ++i)
  {
    v3_param_info info{};
    if (v3_cpp_obj(mController)->get_parameter_info(mController, i, &info) == V3_OK)
      list.push_back(info);
  }
  return list;
}

std::vector<uint8_t> Vst3Instance::GetState()
{
  MemStream s{&kStream, {}, 0, 1 << 20};
  if (v3_cpp_obj(mComponent)->get_state(mComponent, reinterpret_cast<v3_bstream**>(&s)) != V3_OK)
    return {};
  return s.data;
}

v3_result Vst3Instance::SetState(const std::vector<uint8_t>& record, int bytesPerCall)
{
  MemStream s{&kStream, record, 0, bytesPerCall};
  const v3_result r = v3_cpp_obj(mComponent)->set_state(mComponent, reinterpret_cast<v3_bstream**>(&s));
  // As hosts do: the controller hears the component's state too.
  if (mController)
  {
    s.pos = 0;
    v3_cpp_obj(mController)->set_component_state(mController, reinterpret_cast<v3_bstream**>(&s));
  }
  return r;
}

std::string Vst3Instance::OpenEditor(unsigned long parent)
{
  if (!mController)
    return "no edit controller";
  mView = v3_cpp_obj(mController)->create_view(mController, "editor");
  if (!mView)
    return "create_view gave no view";
  mHost->view = mView;
  if (v3_cpp_obj(mView)->is_platform_type_supported(mView, V3_VIEW_PLATFORM_TYPE_X11) != V3_OK)
    return "X11EmbedWindowID not supported";
  v3_cpp_obj(mView)->set_frame(mView, reinterpret_cast<v3_plugin_frame**>(&mHost->frame));
  v3_view_rect r{};
  if (v3_cpp_obj(mView)->get_size(mView, &r) != V3_OK || r.right - r.left <= 0 || r.bottom - r.top <= 0)
    return "get_size gave no size";
  if (v3_cpp_obj(mView)->attached(mView, reinterpret_cast<void*>(parent), V3_VIEW_PLATFORM_TYPE_X11) != V3_OK)
    return "attached failed";
  return "";
}

void Vst3Instance::RunLoop(int ms)
{
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end)
  {
    // Copies: a handler may unregister itself or others.
    const auto fds = mHost->fds;
    for (const auto& f : fds)
    {
      pollfd p{f.second, POLLIN, 0};
      if (poll(&p, 1, 0) > 0)
        v3_cpp_obj(f.first)->on_fd_is_set(f.first, f.second);
    }
    const auto timers = mHost->timers;
    for (const auto& t : timers)
      if (Clock::now() >= t.next)
      {
        for (auto& mine : mHost->timers)
          if (mine.handler == t.handler)
            mine.next = Clock::now() + std::chrono::milliseconds(mine.ms);
        v3_cpp_obj(t.handler)->on_timer(t.handler);
      }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

int Vst3Instance::Timers() const { return static_cast<int>(mHost->timers.size()); }

void Vst3Instance::CloseEditor()
{
  if (!mView)
    return;
  v3_cpp_obj(mView)->removed(mView);
  v3_cpp_obj(mView)->set_frame(mView, nullptr);
  v3_cpp_obj_unref(mView);
  mView = nullptr;
  mHost->view = nullptr;
}

const std::vector<Vst3Edit>& Vst3Instance::Edits() const { return mHost->edits; }
void Vst3Instance::ClearEdits() { mHost->edits.clear(); }
const std::vector<v3_view_rect>& Vst3Instance::Resizes() const { return mHost->resizes; }

// --- The rules ---

namespace
{
uint32_t Bits(float f)
{
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

float FromBits(uint32_t b)
{
  float f;
  std::memcpy(&f, &b, sizeof f);
  return f;
}

// Left in an output buffer before a call: a NaN no plug-in makes.
const uint32_t kUnwritten = 0x7FA5A5A5u;

// Music-like input; with specials, NaNs with payloads, infinities,
// subnormals and negative zeros among it.
float Sample(int c, long i, bool specials)
{
  if (specials)
    switch (i % 97)
    {
      case 13:
        return FromBits(0x7FC01234u);
      case 29:
        return FromBits(0x7F800001u + static_cast<uint32_t>(c));
      case 41:
        return -INFINITY;
      case 53:
        return FromBits(0x00000003u);
      case 67:
        return -0.0f;
      default:
        break;
    }
  return static_cast<float>(0.3 * std::sin(0.013 * i + c) + 0.2 * std::sin(0.0011 * i * (c + 1)));
}

struct Buffers
{
  std::vector<std::vector<float>> in, out;
  std::vector<float*> inPtr, outPtr;
  Buffers(int nIn, int nOut, int n)
    : in(static_cast<size_t>(nIn), std::vector<float>(static_cast<size_t>(n))),
      out(static_cast<size_t>(nOut), std::vector<float>(static_cast<size_t>(n)))
  {
    for (auto& b : in)
      inPtr.push_back(b.data());
    for (auto& b : out)
      outPtr.push_back(b.data());
  }
  void Fill(long start, int n, bool specials)
  {
    for (size_t c = 0; c < in.size(); ++c)
      for (int i = 0; i < n; ++i)
        in[c][static_cast<size_t>(i)] = Sample(static_cast<int>(c), start + i, specials);
    for (auto& b : out)
      std::fill(b.begin(), b.end(), FromBits(kUnwritten));
  }
};

// What is wrong with an output block, or "".
std::string Judge(const std::vector<std::vector<float>>& expectIn, const std::vector<float*>& out, int n,
                  const Vst3Rules& rules, const std::string& where)
{
  for (size_t c = 0; c < out.size(); ++c)
    for (int i = 0; i < n; ++i)
    {
      const float o = out[c][i];
      const std::string at = where + ": channel " + std::to_string(c) + ", frame " + std::to_string(i);
      if (Bits(o) == kUnwritten)
        return at + " was not written";
      if (rules.identity && c < expectIn.size() && Bits(o) != Bits(expectIn[c][static_cast<size_t>(i)]))
        return at + " differs from the input";
      if (!rules.identity && !std::isfinite(o))
        return at + " is not finite";
    }
  return "";
}

std::string Run(Vst3Instance& inst, Buffers& b, long& t, int n, bool inPlace, const Vst3Rules& rules,
                const std::string& where, const std::vector<std::pair<v3_param_id, double>>& changes = {})
{
  b.Fill(t, n, rules.identity);
  t += n;
  const auto expect = b.in;
  if (inPlace)
    for (size_t c = 0; c < b.out.size() && c < b.in.size(); ++c)
      b.outPtr[c] = b.inPtr[c];
  const v3_result r = inst.Process(b.inPtr.data(), b.outPtr.data(), n, changes);
  std::string error = r != V3_OK ? where + ": process failed" : Judge(expect, b.outPtr, n, rules, where);
  for (size_t c = 0; c < b.out.size(); ++c)
    b.outPtr[c] = b.out[c].data();
  return error;
}

std::string ParamsInRange(Vst3Instance& inst, const std::string& where)
{
  v3_edit_controller** ctrl = inst.Controller();
  for (const v3_param_info& p : inst.Params())
  {
    const double v = v3_cpp_obj(ctrl)->get_parameter_normalised(ctrl, p.param_id);
    if (!(v >= 0.0 && v <= 1.0))
      return where + ": parameter " + std::to_string(p.param_id) + " reads " + std::to_string(v);
  }
  return "";
}
} // namespace

std::string CheckFactory(Vst3Module& module)
{
  if (!module.Ok())
    return module.Error();
  v3_plugin_factory** f = module.Factory();
  v3_factory_info info{};
  if (v3_cpp_obj(f)->get_factory_info(f, &info) != V3_OK)
    return "get_factory_info failed";
  const int32_t n = v3_cpp_obj(f)->num_classes(f);
  if (n < 1)
    return "no classes";
  for (int32_t i = 0; i < n; ++i)
  {
    v3_class_info c{};
    if (v3_cpp_obj(f)->get_class_info(f, i, &c) != V3_OK || !c.name[0])
      return "class " + std::to_string(i) + " has no info";
  }
  const auto classes = module.Classes();
  if (classes.empty())
    return "no audio module class";
  v3_plugin_factory_3** f3 = nullptr;
  if (v3_cpp_obj_query_interface(f, v3_plugin_factory_3_iid, &f3) == V3_OK && f3)
  {
    for (int32_t i = 0; i < n; ++i)
    {
      v3_class_info c{};
      v3_class_info_3 u{};
      v3_cpp_obj(f)->get_class_info(f, i, &c);
      if (v3_cpp_obj(f3)->get_class_info_utf16(f3, i, &u) != V3_OK || Utf16(u.name, 64) != c.name ||
          std::memcmp(u.class_id, c.class_id, sizeof c.class_id) != 0)
        return "class " + std::to_string(i) + ": the UTF-16 info differs";
    }
    v3_cpp_obj_unref(f3);
  }
  return "";
}

std::string CheckActivation(Vst3Module& module, const v3_tuid cid)
{
  Vst3Instance inst(module, cid);
  if (!inst.Ok())
    return "no instance";
  for (double rate : {44100.0, 48000.0, 96000.0})
  {
    if (std::string e = inst.Activate(rate, 4096); !e.empty())
      return e;
    Buffers b(inst.NIn(), inst.NOut(), 4096);
    long t = 0;
    for (int i = 0; i < 4; ++i)
      if (std::string e = Run(inst, b, t, 4096, false, Vst3Rules{}, "at " + std::to_string(rate)); !e.empty())
        return e;
    inst.Deactivate();
  }
  return "";
}

std::string CheckBlocks(Vst3Module& module, const v3_tuid cid, const Vst3Rules& rules)
{
  Vst3Instance inst(module, cid);
  if (std::string e = inst.Activate(48000.0, 4096); !e.empty())
    return e;
  Buffers b(inst.NIn(), inst.NOut(), 4096);
  long t = 0;
  for (bool inPlace : {false, true})
    for (int n : {1, 2, 3, 7, 64, 100, 511, 512, 513, 1023, 1024, 1025, 2047, 3000, 4095, 4096})
    {
      const std::string where = std::string(inPlace ? "in place" : "apart") + ", block " + std::to_string(n);
      // In place the outputs are the inputs: nothing to tell unwritten by.
      if (std::string e = Run(inst, b, t, n, inPlace && inst.NIn() == inst.NOut(), rules, where); !e.empty())
        return e;
    }
  return "";
}

std::string CheckParameterEvents(Vst3Module& module, const v3_tuid cid, const Vst3Rules& rules)
{
  Vst3Instance inst(module, cid);
  if (std::string e = inst.Activate(44100.0, 512); !e.empty())
    return e;
  if (!inst.Controller())
    return "no edit controller";
  Buffers b(inst.NIn(), inst.NOut(), 512);
  long t = 0;
  const std::vector<double> values = rules.badValues
                                       ? std::vector<double>{NAN, INFINITY, -INFINITY, -0.5, 1.5, 1e300, -1e300}
                                       : std::vector<double>{0.0, 1.0, 0.5};
  v3_edit_controller** ctrl = inst.Controller();
  for (const v3_param_info& p : inst.Params())
    for (double v : values)
    {
      const std::string where = "parameter " + std::to_string(p.param_id) + " = " + std::to_string(v);
      // Bypass on makes a pass-through too; the rules hold for any value.
      if (std::string e = Run(inst, b, t, 512, false, rules, where, {{p.param_id, v}}); !e.empty())
        return e;
      v3_cpp_obj(ctrl)->set_parameter_normalised(ctrl, p.param_id, v);
      if (std::string e = ParamsInRange(inst, where); !e.empty())
        return e;
    }
  return "";
}

std::string CheckState(Vst3Module& module, const v3_tuid cid, const Vst3Rules& rules)
{
  Vst3Instance inst(module, cid);
  if (std::string e = inst.Activate(48000.0, 512); !e.empty())
    return e;
  const std::vector<uint8_t> saved = inst.GetState();
  if (saved.empty() && rules.strictState)
    return "no state saved";
  if (inst.SetState(saved, 1) != V3_OK)
    return "a saved state, one byte per call, refused";
  if (inst.GetState() != saved)
    return "a saved state did not come back";
  std::mt19937 random(7);
  auto garbage = [&random](size_t n) {
    std::vector<uint8_t> g(n);
    for (auto& x : g)
      x = static_cast<uint8_t>(random());
    return g;
  };
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> bad = {
    {"truncated", std::vector<uint8_t>(saved.begin(), saved.end() - std::min<ptrdiff_t>(1, saved.size()))},
    {"half", std::vector<uint8_t>(saved.begin(), saved.begin() + static_cast<ptrdiff_t>(saved.size() / 2))},
    {"empty", {}},
    {"oversized", garbage(3u << 20)},
    {"garbage", garbage(saved.size())},
    {"short garbage", garbage(5)},
  };
  Buffers b(inst.NIn(), inst.NOut(), 512);
  long t = 0;
  for (const auto& [name, record] : bad)
  {
    const v3_result r = inst.SetState(record, name == "oversized" ? 4096 : 1);
    if (rules.strictState && name != "garbage" && (r == V3_OK || inst.GetState() != saved))
      return "a record " + name + " was taken";
    if (inst.Controller())
      if (std::string e = ParamsInRange(inst, "after a record " + name); !e.empty())
        return e;
    if (std::string e = Run(inst, b, t, 512, false, rules, "after a record " + name); !e.empty())
      return e;
    inst.SetState(saved, 1);
  }
  return "";
}

std::string CheckThreads(Vst3Module& module, const v3_tuid cid, const Vst3Rules& rules)
{
  std::mutex lock;
  std::string first;
  v3_tuid id;
  std::memcpy(id, cid, sizeof id);
  std::vector<std::thread> threads;
  for (int k = 0; k < 4; ++k)
    threads.emplace_back([&, k] {
      std::vector<std::unique_ptr<Vst3Instance>> mine;
      std::string error;
      for (int i = 0; i < 4 && error.empty(); ++i)
      {
        mine.push_back(std::make_unique<Vst3Instance>(module, id));
        error = mine.back()->Activate(k % 2 ? 48000.0 : 44100.0, 1024);
      }
      for (int block = 0; block < 60 && error.empty(); ++block)
        for (auto& inst : mine)
        {
          Buffers b(inst->NIn(), inst->NOut(), 256 + k);
          long t = block * 300L;
          if (!(error = Run(*inst, b, t, 256 + k, false, rules, "thread " + std::to_string(k))).empty())
            break;
        }
      mine.clear();
      std::lock_guard<std::mutex> guard(lock);
      if (first.empty())
        first = error;
    });
  for (auto& th : threads)
    th.join();
  return first;
}
