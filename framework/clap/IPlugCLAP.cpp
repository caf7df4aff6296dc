#include "framework/clap/IPlugCLAP.h"

#include "framework/ByteChunk.h"
#include "framework/CopyText.h"
#include "framework/IParam.h"
#include "framework/clap/IPlugCLAPGUI.h"

#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>
#include <clap/ext/timer-support.h>
#include <clap/fixedpoint.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using Notification = HostNotificationQueue::Notification;

namespace
{
IPlugCLAP* Self(const clap_plugin_t* p) { return static_cast<IPlugCLAP*>(p->plugin_data); }

// --- clap_plugin_t ---
bool PluginInit(const clap_plugin_t* p) { return Self(p)->Init(); }
void PluginDestroy(const clap_plugin_t* p) { delete Self(p); }
bool PluginActivate(const clap_plugin_t* p, double rate, uint32_t, uint32_t) { return Self(p)->Activate(rate); }
void PluginDeactivate(const clap_plugin_t*) {}
bool PluginStartProcessing(const clap_plugin_t*) { return true; }
void PluginStopProcessing(const clap_plugin_t*) {}
void PluginReset(const clap_plugin_t* p) { Self(p)->Reset(); }
clap_process_status PluginProcess(const clap_plugin_t* p, const clap_process_t* process)
{
  return Self(p)->Process(process);
}
const void* PluginExtension(const clap_plugin_t* p, const char* id) { return Self(p)->Extension(id); }
void PluginOnMainThread(const clap_plugin_t*) {}

// --- audio-ports: one main port each way, the output in place of the input ---
uint32_t PortCount(const clap_plugin_t*, bool) { return 1; }
bool PortGet(const clap_plugin_t* p, uint32_t index, bool isInput, clap_audio_port_info_t* info)
{
  if (index != 0 || !info)
    return false;
  const IPlugExporter& e = Self(p)->Exporter();
  const int channels = isInput ? e.NIn() : e.NOut();
  info->id = 0;
  CopyText(info->name, sizeof info->name, isInput ? "Input" : "Output");
  info->flags = CLAP_AUDIO_PORT_IS_MAIN;
  info->channel_count = static_cast<uint32_t>(channels);
  info->port_type = channels == 1 ? CLAP_PORT_MONO : channels == 2 ? CLAP_PORT_STEREO : nullptr;
  info->in_place_pair = 0;
  return true;
}
const clap_plugin_audio_ports_t kAudioPorts = {PortCount, PortGet};

// --- params ---
uint32_t ParamsCount(const clap_plugin_t* p) { return Self(p)->ParamCount(); }
bool ParamsInfo(const clap_plugin_t* p, uint32_t index, clap_param_info_t* info)
{
  return info && Self(p)->ParamInfo(index, info);
}
bool ParamsValue(const clap_plugin_t* p, clap_id id, double* value)
{
  return value && Self(p)->ParamValue(id, value);
}
bool ParamsToText(const clap_plugin_t* p, clap_id id, double value, char* text, uint32_t size)
{
  return text && size > 0 && Self(p)->ValueToText(id, value, text, size);
}
bool ParamsToValue(const clap_plugin_t* p, clap_id id, const char* text, double* value)
{
  return text && value && Self(p)->TextToValue(id, text, value);
}
void ParamsFlush(const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out)
{
  Self(p)->Flush(in, out);
}
const clap_plugin_params_t kParams = {ParamsCount, ParamsInfo, ParamsValue, ParamsToText, ParamsToValue, ParamsFlush};

// --- state ---
bool StateSave(const clap_plugin_t* p, const clap_ostream_t* s) { return s && Self(p)->SaveState(s); }
bool StateLoad(const clap_plugin_t* p, const clap_istream_t* s) { return s && Self(p)->LoadState(s); }
const clap_plugin_state_t kState = {StateSave, StateLoad};

// --- latency: none, the output is the input ---
uint32_t LatencyGet(const clap_plugin_t*) { return 0; }
const clap_plugin_latency_t kLatency = {LatencyGet};

// --- gui and the timer that drives it ---
IPlugCLAPGUI* Gui(const clap_plugin_t* p);
bool GuiApiSupported(const clap_plugin_t*, const char* api, bool floating)
{
  return IPlugCLAPGUI::IsApiSupported(api, floating);
}
bool GuiPreferredApi(const clap_plugin_t*, const char** api, bool* floating)
{
  if (!api || !floating)
    return false;
  *api = CLAP_WINDOW_API_X11;
  *floating = false;
  return true;
}
bool GuiCreate(const clap_plugin_t* p, const char* api, bool floating) { return Gui(p)->Create(api, floating); }
void GuiDestroy(const clap_plugin_t* p) { Gui(p)->Destroy(); }
bool GuiSetScale(const clap_plugin_t*, double) { return false; }
bool GuiGetSize(const clap_plugin_t* p, uint32_t* w, uint32_t* h) { return w && h && Gui(p)->GetSize(w, h); }
bool GuiCanResize(const clap_plugin_t*) { return false; }
bool GuiResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; }
bool GuiAdjustSize(const clap_plugin_t* p, uint32_t* w, uint32_t* h) { return w && h && Gui(p)->GetSize(w, h); }
bool GuiSetSize(const clap_plugin_t* p, uint32_t w, uint32_t h) { return Gui(p)->SetSize(w, h); }
bool GuiSetParent(const clap_plugin_t* p, const clap_window_t* window) { return Gui(p)->SetParent(window); }
bool GuiSetTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
void GuiSuggestTitle(const clap_plugin_t*, const char*) {}
// Embedded: the host shows and hides its own window, ours goes with it.
bool GuiShow(const clap_plugin_t*) { return true; }
bool GuiHide(const clap_plugin_t*) { return true; }
const clap_plugin_gui_t kGui = {GuiApiSupported, GuiPreferredApi, GuiCreate,       GuiDestroy,    GuiSetScale,
                                GuiGetSize,      GuiCanResize,    GuiResizeHints,  GuiAdjustSize, GuiSetSize,
                                GuiSetParent,    GuiSetTransient, GuiSuggestTitle, GuiShow,       GuiHide};

void TimerTick(const clap_plugin_t* p, clap_id timer) { Gui(p)->OnTimer(timer); }
const clap_plugin_timer_support_t kTimer = {TimerTick};
} // namespace

namespace
{
IPlugCLAPGUI* Gui(const clap_plugin_t* p) { return Self(p)->Gui(); }
} // namespace

IPlugCLAP::IPlugCLAP(IPlugBase* plug, int nIn, int nOut, const clap_plugin_descriptor_t* desc,
                     const clap_host_t* host)
  : mExporter(plug, nIn, nOut), mHost(host)
{
  mClap.desc = desc;
  mClap.plugin_data = this;
  mClap.init = PluginInit;
  mClap.destroy = PluginDestroy;
  mClap.activate = PluginActivate;
  mClap.deactivate = PluginDeactivate;
  mClap.start_processing = PluginStartProcessing;
  mClap.stop_processing = PluginStopProcessing;
  mClap.reset = PluginReset;
  mClap.process = PluginProcess;
  mClap.get_extension = PluginExtension;
  mClap.on_main_thread = PluginOnMainThread;
}

IPlugCLAP::~IPlugCLAP()
{
  // The editor and its timer go before the plug-in they show.
  mGUI.reset();
}

const void* IPlugCLAP::HostExtension(const char* id) const
{
  return mHost && mHost->get_extension ? mHost->get_extension(mHost, id) : nullptr;
}

bool IPlugCLAP::OnAudioThread() const
{
  const auto* check = static_cast<const clap_host_thread_check_t*>(mHostThreadCheck);
  return check && check->is_audio_thread && check->is_audio_thread(mHost);
}

bool IPlugCLAP::Init()
{
  // Host extensions may be asked for from init on, not before.
  mHostParams = static_cast<const clap_host_params_t*>(HostExtension(CLAP_EXT_PARAMS));
  mHostThreadCheck = HostExtension(CLAP_EXT_THREAD_CHECK);
  if (mExporter.Editor())
    mGUI = std::make_unique<IPlugCLAPGUI>(this);
  return true;
}

bool IPlugCLAP::Activate(double sampleRate)
{
  if (!mExporter.SetSampleRate(sampleRate))
    return false;
  mExporter.Time() = ITimeInfo();
  return true;
}

const void* IPlugCLAP::Extension(const char* id)
{
  if (!id)
    return nullptr;
  if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0)
    return &kAudioPorts;
  if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
    return &kParams;
  if (std::strcmp(id, CLAP_EXT_STATE) == 0)
    return &kState;
  if (std::strcmp(id, CLAP_EXT_LATENCY) == 0)
    return &kLatency;
  if (mGUI && std::strcmp(id, CLAP_EXT_GUI) == 0)
    return &kGui;
  if (mGUI && std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
    return &kTimer;
  return nullptr;
}

// --- Audio ---

clap_process_status IPlugCLAP::Process(const clap_process_t* process)
{
  if (!process || process->audio_inputs_count < 1 || process->audio_outputs_count < 1 || !process->audio_inputs ||
      !process->audio_outputs)
    return CLAP_PROCESS_ERROR;
  const clap_audio_buffer_t& in = process->audio_inputs[0];
  clap_audio_buffer_t& out = process->audio_outputs[0];
  const auto nIn = static_cast<uint32_t>(mExporter.NIn()), nOut = static_cast<uint32_t>(mExporter.NOut());
  if (!in.data32 || !out.data32 || in.channel_count < nIn || out.channel_count < nOut)
    return CLAP_PROCESS_ERROR;
  for (uint32_t c = 0; c < nIn; ++c)
    if (!in.data32[c])
      return CLAP_PROCESS_ERROR;
  for (uint32_t c = 0; c < nOut; ++c)
    if (!out.data32[c])
      return CLAP_PROCESS_ERROR;

  if (process->transport)
    ApplyTransport(*process->transport);
  else
    mExporter.Time() = ITimeInfo();

  // Events apply at their sample offsets: the block is processed in pieces
  // between them.
  const uint32_t frames = process->frames_count;
  uint32_t pos = 0;
  const clap_input_events_t* events = process->in_events;
  const uint32_t nEvents = events && events->size && events->get ? events->size(events) : 0;
  for (uint32_t i = 0; i < nEvents; ++i)
  {
    const clap_event_header_t* ev = events->get(events, i);
    // Only what changes us splits the block: other events leave the pieces whole.
    if (!ev || !Applies(ev))
      continue;
    // Events come in time order; a stray one goes to the nearest edge.
    const uint32_t at = std::clamp(ev->time, pos, frames);
    mExporter.Process(in.data32, out.data32, pos, at);
    pos = at;
    ApplyEvent(ev);
  }
  mExporter.Process(in.data32, out.data32, pos, frames);
  // The output is the input: a channel constant coming in is constant going out.
  out.constant_mask = in.constant_mask;
  SendOutput(process->out_events);
  return CLAP_PROCESS_CONTINUE;
}

bool IPlugCLAP::Applies(const clap_event_header_t* header) const
{
  if (header->space_id != CLAP_CORE_EVENT_SPACE_ID)
    return false;
  if (header->type == CLAP_EVENT_TRANSPORT)
    return header->size >= sizeof(clap_event_transport_t);
  if (header->type != CLAP_EVENT_PARAM_VALUE || header->size < sizeof(clap_event_param_value_t))
    return false;
  const auto* ev = reinterpret_cast<const clap_event_param_value_t*>(header);
  const int idx = IndexOf(ev->param_id);
  if (idx == -2 || !std::isfinite(ev->value))
    return false;
  return idx == -1 || !mExporter.Param(idx)->GetIgnoreHostChanges();
}

void IPlugCLAP::ApplyEvent(const clap_event_header_t* header)
{
  if (!Applies(header))
    return;
  if (header->type == CLAP_EVENT_TRANSPORT)
  {
    ApplyTransport(*reinterpret_cast<const clap_event_transport_t*>(header));
    return;
  }
  const auto* ev = reinterpret_cast<const clap_event_param_value_t*>(header);
  const int idx = IndexOf(ev->param_id);
  if (idx == -1)
    mExporter.SetBypass(ev->value >= 0.5);
  else
    mExporter.SetHostPlainValue(idx, ev->value);
}

void IPlugCLAP::ApplyTransport(const clap_event_transport_t& t)
{
  ITimeInfo& time = mExporter.Time();
  time = ITimeInfo();
  time.mTransportIsRunning = (t.flags & CLAP_TRANSPORT_IS_PLAYING) != 0;
  time.mTransportLoopEnabled = (t.flags & CLAP_TRANSPORT_IS_LOOP_ACTIVE) != 0;
  if ((t.flags & CLAP_TRANSPORT_HAS_TEMPO) && std::isfinite(t.tempo) && t.tempo > 0.0)
    time.mTempo = t.tempo;
  if (t.flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE)
    time.mSamplePos = std::round(static_cast<double>(t.song_pos_seconds) / CLAP_SECTIME_FACTOR *
                                 mExporter.Plug()->GetSampleRate());
  if (t.flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE)
  {
    const auto beats = [](clap_beattime b) { return static_cast<double>(b) / CLAP_BEATTIME_FACTOR; };
    time.mPPQPos = beats(t.song_pos_beats);
    time.mLastBar = beats(t.bar_start);
    time.mCycleStart = beats(t.loop_start_beats);
    time.mCycleEnd = beats(t.loop_end_beats);
  }
  if ((t.flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE) && t.tsig_num >= 1 && t.tsig_denom >= 1)
  {
    time.mNumerator = t.tsig_num;
    time.mDenominator = t.tsig_denom;
  }
}

void IPlugCLAP::QueueOutput(const Notification& n) { mOutput.Push(n); }

void IPlugCLAP::RequestOutputFlush()
{
  // request_flush is not for the audio thread, which sends the queue at the
  // end of the block it is in anyway.
  if (OnAudioThread())
    return;
  if (mHostParams && mHostParams->request_flush)
    mHostParams->request_flush(mHost);
  else if (mHost && mHost->request_process)
    mHost->request_process(mHost);
}

void IPlugCLAP::SendOutput(const clap_output_events_t* out)
{
  if (!out || !out->try_push)
  {
    // Nobody to tell: drop what waits rather than let it go stale.
    mOutput.Clear();
    return;
  }
  Notification n;
  while (mOutput.Pop(&n))
  {
    const IParam* p = mExporter.Param(n.idx);
    if (!p)
      continue;
    const auto id = static_cast<clap_id>(n.idx + 1);
    if (n.kind == Notification::kValue)
    {
      clap_event_param_value_t ev{};
      ev.header = {sizeof ev, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
      ev.param_id = id;
      ev.note_id = -1;
      ev.port_index = -1;
      ev.channel = -1;
      ev.key = -1;
      ev.value = p->FromNormalized(n.value);
      out->try_push(out, &ev.header);
    }
    else if (n.kind == Notification::kBegin || n.kind == Notification::kEnd)
    {
      clap_event_param_gesture_t ev{};
      const uint16_t type = n.kind == Notification::kBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN
                                                           : CLAP_EVENT_PARAM_GESTURE_END;
      ev.header = {sizeof ev, 0, CLAP_CORE_EVENT_SPACE_ID, type, 0};
      ev.param_id = id;
      out->try_push(out, &ev.header);
    }
  }
}

void IPlugCLAP::Flush(const clap_input_events_t* in, const clap_output_events_t* out)
{
  const uint32_t n = in && in->size && in->get ? in->size(in) : 0;
  for (uint32_t i = 0; i < n; ++i)
    if (const clap_event_header_t* ev = in->get(in, i))
      ApplyEvent(ev);
  SendOutput(out);
}

// --- Parameters ---

int IPlugCLAP::IndexOf(clap_id id) const
{
  if (id == kBypassId)
    return -1;
  return id >= 1 && id <= static_cast<clap_id>(mExporter.NParams()) ? static_cast<int>(id) - 1 : -2;
}

bool IPlugCLAP::ParamInfo(uint32_t index, clap_param_info_t* info) const
{
  if (index >= ParamCount())
    return false;
  *info = clap_param_info_t{};
  if (index == 0)
  {
    info->id = kBypassId;
    info->flags = CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_BYPASS | CLAP_PARAM_IS_AUTOMATABLE;
    CopyText(info->name, sizeof info->name, "Master Bypass");
    info->min_value = 0.0;
    info->max_value = 1.0;
    info->default_value = 0.0;
    return true;
  }
  const int idx = static_cast<int>(index) - 1;
  const IParam* p = mExporter.Param(idx);
  info->id = static_cast<clap_id>(idx + 1);
  info->flags = p->Type() == IParam::kTypeInt || p->Type() == IParam::kTypeBool || p->Type() == IParam::kTypeEnum
                  ? CLAP_PARAM_IS_STEPPED
                  : 0;
  // What the plug-in keeps from the host (camera, sizes) it still reports:
  // the host shows and records it but cannot set it.
  info->flags |= p->GetIgnoreHostChanges() ? CLAP_PARAM_IS_READONLY : CLAP_PARAM_IS_AUTOMATABLE;
  CopyText(info->name, sizeof info->name, p->GetNameForHost());
  CopyText(info->module, sizeof info->module, p->GetGroupForHost());
  info->min_value = p->GetMin();
  info->max_value = p->GetMax();
  info->default_value = p->GetDefault();
  return true;
}

bool IPlugCLAP::ParamValue(clap_id id, double* value) const
{
  const int idx = IndexOf(id);
  if (idx == -2)
    return false;
  *value = idx == -1 ? (mExporter.IsBypassed() ? 1.0 : 0.0) : mExporter.Param(idx)->Value();
  return true;
}

bool IPlugCLAP::ValueToText(clap_id id, double value, char* text, uint32_t size) const
{
  const int idx = IndexOf(id);
  if (idx == -2 || !std::isfinite(value))
    return false;
  if (idx == -1)
  {
    CopyText(text, size, value >= 0.5 ? "on" : "off");
    return true;
  }
  return mExporter.FormatValue(idx, value, true, text, size);
}

bool IPlugCLAP::TextToValue(clap_id id, const char* text, double* value) const
{
  const int idx = IndexOf(id);
  if (idx == -2)
    return false;
  return idx == -1 ? IPlugExporter::ParseBypass(text, value) : mExporter.ParseValue(idx, text, value);
}

// --- State ---

bool IPlugCLAP::SaveState(const clap_ostream_t* stream)
{
  ByteChunk chunk;
  if (!stream->write || !mExporter.SaveState(&chunk))
    return false;
  const uint8_t* bytes = chunk.GetBytes();
  auto left = static_cast<uint64_t>(chunk.Size());
  // A stream may take fewer bytes than offered: go on until all are written.
  while (left > 0)
  {
    const int64_t n = stream->write(stream, bytes, left);
    if (n <= 0 || static_cast<uint64_t>(n) > left)
      return false;
    bytes += n;
    left -= static_cast<uint64_t>(n);
  }
  return true;
}

bool IPlugCLAP::LoadState(const clap_istream_t* stream)
{
  if (!stream->read)
    return false;
  // A stream may give fewer bytes than asked for, down to one: read until
  // it ends. An error or a record too large for us changes nothing.
  std::vector<uint8_t> record;
  uint8_t piece[512];
  for (;;)
  {
    const int64_t n = stream->read(stream, piece, sizeof piece);
    if (n == 0)
      break;
    if (n < 0 || static_cast<uint64_t>(n) > sizeof piece ||
        record.size() + static_cast<size_t>(n) > IPlugExporter::kMaxStateBytes)
      return false;
    record.insert(record.end(), piece, piece + n);
  }
  if (!mExporter.RestoreState(record.data(), record.size(), true))
    return false;
  if (mHostParams && mHostParams->rescan)
    mHostParams->rescan(mHost, CLAP_PARAM_RESCAN_VALUES);
  return true;
}
