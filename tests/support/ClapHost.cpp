#include "tests/support/ClapHost.h"

#include <clap/version.h>

#include <algorithm>
#include <cstring>

#include <dlfcn.h>

namespace
{
// The host whose Process runs on this thread, if any.
thread_local const ClapHost* tAudioHost = nullptr;

struct Reader
{
  const std::vector<uint8_t>* data;
  uint64_t pos, maxPerCall;
  bool errorAtEnd;
};

struct Writer
{
  std::vector<uint8_t>* data;
  uint64_t maxPerCall;
};
} // namespace

ClapModule::ClapModule(const std::string& path)
{
  mLib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mLib)
  {
    mError = dlerror();
    return;
  }
  mEntry = static_cast<const clap_plugin_entry_t*>(dlsym(mLib, "clap_entry"));
  if (!mEntry || !clap_version_is_compatible(mEntry->clap_version) || !mEntry->init(path.c_str()))
  {
    mError = "no usable clap_entry";
    mEntry = nullptr;
    return;
  }
  mFactory = static_cast<const clap_plugin_factory_t*>(mEntry->get_factory(CLAP_PLUGIN_FACTORY_ID));
  if (!mFactory)
    mError = "no plug-in factory";
}

ClapModule::~ClapModule()
{
  if (mEntry)
    mEntry->deinit();
  if (mLib)
    dlclose(mLib);
}

std::vector<const clap_plugin_descriptor_t*> ClapModule::Descriptors() const
{
  std::vector<const clap_plugin_descriptor_t*> list;
  const uint32_t n = mFactory ? mFactory->get_plugin_count(mFactory) : 0;
  for (uint32_t i = 0; i < n; ++i)
    list.push_back(mFactory->get_plugin_descriptor(mFactory, i));
  return list;
}

ClapHost::ClapHost(const ClapModule& module, const std::string& pluginId) : mMainThread(std::this_thread::get_id())
{
  mHost.clap_version = CLAP_VERSION;
  mHost.host_data = this;
  mHost.name = "crest-tests";
  mHost.vendor = "QX Crest tests";
  mHost.url = "";
  mHost.version = "1";
  mHost.get_extension = GetExtension;
  mHost.request_restart = RequestRestart;
  mHost.request_process = RequestProcess;
  mHost.request_callback = RequestCallback;

  mParams.rescan = [](const clap_host_t*, clap_param_rescan_flags) {};
  mParams.clear = [](const clap_host_t*, clap_id, clap_param_clear_flags) {};
  mParams.request_flush = [](const clap_host_t* h) { Of(h)->mFlushRequested = true; };
  mGui.resize_hints_changed = [](const clap_host_t*) {};
  mGui.request_resize = [](const clap_host_t* h, uint32_t w, uint32_t hgt) {
    Of(h)->mRequestedW = w;
    Of(h)->mRequestedH = hgt;
    return true;
  };
  mGui.request_show = [](const clap_host_t*) { return false; };
  mGui.request_hide = [](const clap_host_t*) { return false; };
  mGui.closed = [](const clap_host_t*, bool) {};
  mTimerSupport.register_timer = [](const clap_host_t* h, uint32_t period, clap_id* id) {
    ClapHost* self = Of(h);
    if (!id || std::this_thread::get_id() != self->mMainThread)
      return false;
    *id = self->mNextTimer++;
    self->mTimers.push_back({*id, period});
    return true;
  };
  mTimerSupport.unregister_timer = [](const clap_host_t* h, clap_id id) {
    auto& timers = Of(h)->mTimers;
    const auto it = std::find_if(timers.begin(), timers.end(), [id](const Timer& t) { return t.id == id; });
    if (it == timers.end())
      return false;
    timers.erase(it);
    return true;
  };
  mThreadCheck.is_main_thread = [](const clap_host_t* h) { return std::this_thread::get_id() == Of(h)->mMainThread; };
  mThreadCheck.is_audio_thread = [](const clap_host_t* h) { return tAudioHost == Of(h); };
  mState.mark_dirty = [](const clap_host_t*) {};

  if (!module.Ok())
    return;
  const clap_plugin_factory_t* f = module.Factory();
  mPlugin = f->create_plugin(f, &mHost, pluginId.c_str());
  if (mPlugin && !mPlugin->init(mPlugin))
  {
    mPlugin->destroy(mPlugin);
    mPlugin = nullptr;
  }
}

ClapHost::~ClapHost()
{
  if (!mPlugin)
    return;
  Deactivate();
  mPlugin->destroy(mPlugin);
}

const void* ClapHost::GetExtension(const clap_host_t* h, const char* id)
{
  ClapHost* self = Of(h);
  if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
    return &self->mParams;
  if (std::strcmp(id, CLAP_EXT_GUI) == 0)
    return &self->mGui;
  if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
    return &self->mTimerSupport;
  if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0)
    return &self->mThreadCheck;
  if (std::strcmp(id, CLAP_EXT_STATE) == 0)
    return &self->mState;
  return nullptr;
}

bool ClapHost::Activate(double rate, uint32_t maxFrames)
{
  Deactivate();
  mActive = mPlugin->activate(mPlugin, rate, 1, maxFrames);
  if (mActive && !mPlugin->start_processing(mPlugin))
    Deactivate();
  return mActive;
}

void ClapHost::Deactivate()
{
  if (!mActive)
    return;
  mPlugin->stop_processing(mPlugin);
  mPlugin->deactivate(mPlugin);
  mActive = false;
}

uint32_t ClapHost::Channels(bool input) const
{
  const auto* ports = Ext<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
  clap_audio_port_info_t info{};
  if (!ports || ports->count(mPlugin, input) < 1 || !ports->get(mPlugin, 0, input, &info))
    return 0;
  return info.channel_count;
}

bool ClapHost::PushEvent(const clap_output_events_t* list, const clap_event_header_t* ev)
{
  auto* self = static_cast<ClapHost*>(list->ctx);
  if (ev->space_id != CLAP_CORE_EVENT_SPACE_ID)
    return true;
  if (ev->type == CLAP_EVENT_PARAM_VALUE && ev->size >= sizeof(clap_event_param_value_t))
  {
    const auto* v = reinterpret_cast<const clap_event_param_value_t*>(ev);
    self->mOutput.push_back({ev->type, v->param_id, v->value});
  }
  else if ((ev->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || ev->type == CLAP_EVENT_PARAM_GESTURE_END) &&
           ev->size >= sizeof(clap_event_param_gesture_t))
    self->mOutput.push_back({ev->type, reinterpret_cast<const clap_event_param_gesture_t*>(ev)->param_id, 0.0});
  return true;
}

uint32_t ClapHost::EventCount(const clap_input_events_t* list)
{
  const auto* self = static_cast<const ClapHost*>(list->ctx);
  return self->mInput ? static_cast<uint32_t>(self->mInput->size()) : 0;
}

const clap_event_header_t* ClapHost::EventAt(const clap_input_events_t* list, uint32_t i)
{
  const auto* self = static_cast<const ClapHost*>(list->ctx);
  return self->mInput && i < self->mInput->size() ? &(*self->mInput)[i].header : nullptr;
}

clap_event_param_value_t ClapHost::Value(clap_id id, double value, uint32_t time)
{
  clap_event_param_value_t ev{};
  ev.header = {sizeof ev, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
  ev.param_id = id;
  ev.note_id = -1;
  ev.port_index = -1;
  ev.channel = -1;
  ev.key = -1;
  ev.value = value;
  return ev;
}

clap_process_status ClapHost::Process(const std::vector<const float*>& in, const std::vector<float*>& out,
                                      uint32_t frames, const std::vector<clap_event_param_value_t>& events)
{
  clap_audio_buffer_t inBuf{}, outBuf{};
  inBuf.data32 = const_cast<float**>(in.data());
  inBuf.channel_count = static_cast<uint32_t>(in.size());
  outBuf.data32 = const_cast<float**>(out.data());
  outBuf.channel_count = static_cast<uint32_t>(out.size());
  mInput = &events;
  const clap_input_events_t inEvents{this, EventCount, EventAt};
  const clap_output_events_t outEvents{this, PushEvent};
  clap_process_t p{};
  p.steady_time = -1;
  p.frames_count = frames;
  p.audio_inputs = &inBuf;
  p.audio_outputs = &outBuf;
  p.audio_inputs_count = 1;
  p.audio_outputs_count = 1;
  p.in_events = &inEvents;
  p.out_events = &outEvents;
  tAudioHost = this;
  const clap_process_status status = mPlugin->process(mPlugin, &p);
  tAudioHost = nullptr;
  mInput = nullptr;
  return status;
}

bool ClapHost::Flush(const std::vector<clap_event_param_value_t>& events)
{
  const auto* params = Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  if (!params)
    return false;
  mInput = &events;
  const clap_input_events_t inEvents{this, EventCount, EventAt};
  const clap_output_events_t outEvents{this, PushEvent};
  params->flush(mPlugin, &inEvents, &outEvents);
  mInput = nullptr;
  return true;
}

std::vector<ClapHost::OutEvent> ClapHost::TakeOutput()
{
  std::vector<OutEvent> out;
  out.swap(mOutput);
  return out;
}

bool ClapHost::Save(std::vector<uint8_t>* record, uint64_t maxPerCall) const
{
  const auto* state = Ext<clap_plugin_state_t>(CLAP_EXT_STATE);
  if (!state)
    return false;
  record->clear();
  Writer w{record, maxPerCall};
  clap_ostream_t stream{&w, [](const clap_ostream_t* s, const void* buffer, uint64_t size) -> int64_t {
                          auto* wr = static_cast<Writer*>(s->ctx);
                          const uint64_t n = std::min(size, wr->maxPerCall);
                          const auto* b = static_cast<const uint8_t*>(buffer);
                          wr->data->insert(wr->data->end(), b, b + n);
                          return static_cast<int64_t>(n);
                        }};
  return state->save(mPlugin, &stream);
}

bool ClapHost::Load(const std::vector<uint8_t>& record, uint64_t maxPerCall, bool errorAtEnd) const
{
  const auto* state = Ext<clap_plugin_state_t>(CLAP_EXT_STATE);
  if (!state)
    return false;
  Reader r{&record, 0, maxPerCall, errorAtEnd};
  clap_istream_t stream{&r, [](const clap_istream_t* s, void* buffer, uint64_t size) -> int64_t {
                          auto* rd = static_cast<Reader*>(s->ctx);
                          const uint64_t left = rd->data->size() - rd->pos;
                          if (left == 0)
                            return rd->errorAtEnd ? -1 : 0;
                          const uint64_t n = std::min({size, left, rd->maxPerCall});
                          std::memcpy(buffer, rd->data->data() + rd->pos, n);
                          rd->pos += n;
                          return static_cast<int64_t>(n);
                        }};
  return state->load(mPlugin, &stream);
}

void ClapHost::FireTimers()
{
  // A timer may go away while another one runs.
  std::vector<Timer> timers = mTimers;
  for (const Timer& t : timers)
  {
    const auto* support = Ext<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    if (support && std::any_of(mTimers.begin(), mTimers.end(), [&t](const Timer& x) { return x.id == t.id; }))
      support->on_timer(mPlugin, t.id);
  }
}
