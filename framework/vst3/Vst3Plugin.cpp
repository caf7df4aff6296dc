#include "framework/vst3/Vst3Plugin.h"

#include "framework/IParam.h"
#include "framework/vst3/Vst3Ids.h"
#include "framework/vst3/Vst3Stream.h"
#include "framework/vst3/Vst3Text.h"
#include "framework/vst3/Vst3View.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
using Face = Vst3Face<Vst3Plugin>;
Vst3Plugin* Of(void* self) { return Face::Of(self); }
} // namespace

struct Vst3Plugin::Tables
{
  v3_component_cpp component{};
  v3_audio_processor_cpp processor{};
  v3_edit_controller_cpp controller{};
  v3_process_context_requirements_cpp context{};

  Tables()
  {
    SetUnknown(component);
    SetUnknown(processor);
    SetUnknown(controller);
    SetUnknown(context);

    // Nothing to set up or hold: the plug-in object is made with the
    // instance, and the host's context is not kept. A host may initialise
    // the component and the controller, which are the same object.
    auto initialize = [](void*, v3_funknown**) { return static_cast<v3_result>(V3_OK); };
    auto terminate = [](void*) { return static_cast<v3_result>(V3_OK); };
    component.base.initialize = initialize;
    component.base.terminate = terminate;
    controller.base.initialize = initialize;
    controller.base.terminate = terminate;

    v3_component& c = component.comp;
    // A single component has no controller class of its own.
    c.get_controller_class_id = [](void*, v3_tuid) { return static_cast<v3_result>(V3_NOT_IMPLEMENTED); };
    c.set_io_mode = [](void*, int32_t) { return static_cast<v3_result>(V3_OK); };
    c.get_bus_count = [](void*, int32_t type, int32_t) { return type == V3_AUDIO ? 1 : 0; };
    c.get_bus_info = [](void* self, int32_t type, int32_t dir, int32_t idx, v3_bus_info* info) {
      return Of(self)->GetBusInfo(type, dir, idx, info);
    };
    c.get_routing_info = [](void*, v3_routing_info*, v3_routing_info*) {
      return static_cast<v3_result>(V3_NOT_IMPLEMENTED);
    };
    c.activate_bus = [](void*, int32_t type, int32_t, int32_t idx, v3_bool) {
      return static_cast<v3_result>(type == V3_AUDIO && idx == 0 ? V3_OK : V3_INVALID_ARG);
    };
    c.set_active = [](void* self, v3_bool state) { return Of(self)->SetActive(state != 0); };
    c.set_state = [](void* self, v3_bstream** s) { return Of(self)->SetState(s); };
    c.get_state = [](void* self, v3_bstream** s) { return Of(self)->GetState(s); };

    v3_audio_processor& a = processor.proc;
    a.set_bus_arrangements = [](void* self, v3_speaker_arrangement* in, int32_t nIn, v3_speaker_arrangement* out,
                                int32_t nOut) { return Of(self)->SetBusArrangements(in, nIn, out, nOut); };
    a.get_bus_arrangement = [](void* self, int32_t dir, int32_t idx, v3_speaker_arrangement* arr) {
      return Of(self)->GetBusArrangement(dir, idx, arr);
    };
    a.can_process_sample_size = [](void*, int32_t size) {
      return static_cast<v3_result>(size == V3_SAMPLE_32 ? V3_OK : V3_FALSE);
    };
    a.get_latency_samples = [](void*) { return 0u; };
    a.setup_processing = [](void* self, v3_process_setup* setup) { return Of(self)->SetupProcessing(setup); };
    a.set_processing = [](void* self, v3_bool state) {
      if (state)
        Of(self)->mExporter.RequestReset();
      return static_cast<v3_result>(V3_OK);
    };
    a.process = [](void* self, v3_process_data* data) { return Of(self)->Process(data); };
    a.get_tail_samples = [](void*) { return 0u; };

    context.req.get_process_context_requirements = [](void*) {
      return static_cast<uint32_t>(V3_PROCESS_CTX_NEED_PROJECT_TIME | V3_PROCESS_CTX_NEED_BAR_POSITION |
                                   V3_PROCESS_CTX_NEED_CYCLE | V3_PROCESS_CTX_NEED_TEMPO |
                                   V3_PROCESS_CTX_NEED_TIME_SIG | V3_PROCESS_CTX_NEED_TRANSPORT_STATE);
    };

    v3_edit_controller& e = controller.ctrl;
    // The component already holds its state: it is the same object.
    e.set_component_state = [](void*, v3_bstream**) { return static_cast<v3_result>(V3_OK); };
    // The controller keeps nothing of its own.
    e.set_state = [](void*, v3_bstream**) { return static_cast<v3_result>(V3_OK); };
    e.get_state = [](void*, v3_bstream**) { return static_cast<v3_result>(V3_OK); };
    e.get_parameter_count = [](void* self) { return static_cast<int32_t>(Of(self)->mExporter.NParams() + 1); };
    e.get_parameter_info = [](void* self, int32_t idx, v3_param_info* info) {
      return Of(self)->GetParameterInfo(idx, info);
    };
    e.get_parameter_string_for_value = [](void* self, v3_param_id id, double v, v3_str_128 out) {
      return Of(self)->StringForValue(id, v, out);
    };
    e.get_parameter_value_for_string = [](void* self, v3_param_id id, int16_t* in, double* out) {
      return Of(self)->ValueForString(id, in, out);
    };
    e.normalised_parameter_to_plain = [](void* self, v3_param_id id, double v) { return Of(self)->ToPlain(id, v); };
    e.plain_parameter_to_normalised = [](void* self, v3_param_id id, double v) {
      return Of(self)->ToNormalized(id, v);
    };
    e.get_parameter_normalised = [](void* self, v3_param_id id) { return Of(self)->GetNormalized(id); };
    e.set_parameter_normalised = [](void* self, v3_param_id id, double v) { return Of(self)->SetNormalized(id, v); };
    e.set_component_handler = [](void* self, v3_component_handler** h) { return Of(self)->SetHandler(h); };
    e.create_view = [](void* self, const char* name) { return Of(self)->CreateView(name); };
  }
};

const Vst3Plugin::Tables& Vst3Plugin::VTables()
{
  static const Tables tables;
  return tables;
}

Vst3Plugin::Vst3Plugin(IPlugBase* plug, int nIn, int nOut)
  : mComponent{&VTables().component, this}, mProcessor{&VTables().processor, this},
    mController{&VTables().controller, this}, mContext{&VTables().context, this}, mExporter(plug, nIn, nOut)
{
  mExporter.SetSampleRate(44100.0);
}

Vst3Plugin::~Vst3Plugin()
{
  if (mHandler)
    v3_cpp_obj_unref(mHandler);
}

v3_result Vst3Plugin::QueryInterface(const v3_tuid iid, void** obj)
{
  if (!obj)
    return V3_INVALID_ARG;
  Face* face = nullptr;
  if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_base_iid) ||
      v3_tuid_match(iid, v3_component_iid))
    face = &mComponent;
  else if (v3_tuid_match(iid, v3_audio_processor_iid))
    face = &mProcessor;
  else if (v3_tuid_match(iid, v3_edit_controller_iid))
    face = &mController;
  else if (v3_tuid_match(iid, v3_process_context_requirements_iid))
    face = &mContext;
  return Answer(face, obj);
}

void Vst3Plugin::ViewGone(const Vst3View* view)
{
  if (mView == view)
    mView = nullptr;
}

// --- IComponent ---

v3_speaker_arrangement Vst3Plugin::Arrangement(int channels) const
{
  if (channels == 1)
    return V3_SPEAKER_M;
  if (channels == 2)
    return V3_SPEAKER_L | V3_SPEAKER_R;
  return (1ull << channels) - 1;
}

v3_result Vst3Plugin::GetBusInfo(int32_t type, int32_t dir, int32_t idx, v3_bus_info* info) const
{
  if (!info || type != V3_AUDIO || idx != 0 || (dir != V3_INPUT && dir != V3_OUTPUT))
    return V3_INVALID_ARG;
  *info = v3_bus_info{};
  info->media_type = V3_AUDIO;
  info->direction = dir;
  info->channel_count = dir == V3_INPUT ? mExporter.NIn() : mExporter.NOut();
  Vst3Text::ToUtf16(dir == V3_INPUT ? "Input" : "Output", info->bus_name, 128);
  info->bus_type = V3_MAIN;
  info->flags = V3_DEFAULT_ACTIVE;
  return V3_OK;
}

v3_result Vst3Plugin::SetActive(bool active)
{
  if (active)
  {
    mExporter.Time() = ITimeInfo();
    mExporter.RequestReset();
  }
  return V3_OK;
}

v3_result Vst3Plugin::SetState(v3_bstream** stream)
{
  std::vector<uint8_t> record;
  if (!Vst3Stream::ReadAll(stream, IPlugExporter::kMaxStateBytes, &record))
    return V3_FALSE;
  return mExporter.RestoreState(record.data(), record.size(), true) ? V3_OK : V3_FALSE;
}

v3_result Vst3Plugin::GetState(v3_bstream** stream)
{
  ByteChunk chunk;
  if (!mExporter.SaveState(&chunk))
    return V3_FALSE;
  return Vst3Stream::WriteAll(stream, chunk.GetBytes(), static_cast<size_t>(chunk.Size())) ? V3_OK : V3_FALSE;
}

// --- IAudioProcessor ---

v3_result Vst3Plugin::SetBusArrangements(const v3_speaker_arrangement* in, int32_t nIn,
                                         const v3_speaker_arrangement* out, int32_t nOut) const
{
  // Only the layout of this component: one bus each way, its channels.
  auto channels = [](v3_speaker_arrangement a) { return static_cast<int>(__builtin_popcountll(a)); };
  if (nIn != 1 || nOut != 1 || !in || !out || channels(in[0]) != mExporter.NIn() ||
      channels(out[0]) != mExporter.NOut())
    return V3_FALSE;
  return V3_OK;
}

v3_result Vst3Plugin::GetBusArrangement(int32_t dir, int32_t idx, v3_speaker_arrangement* arr) const
{
  if (!arr || idx != 0 || (dir != V3_INPUT && dir != V3_OUTPUT))
    return V3_INVALID_ARG;
  *arr = Arrangement(dir == V3_INPUT ? mExporter.NIn() : mExporter.NOut());
  return V3_OK;
}

v3_result Vst3Plugin::SetupProcessing(const v3_process_setup* setup)
{
  if (!setup || setup->symbolic_sample_size != V3_SAMPLE_32 || setup->max_block_size <= 0 ||
      !mExporter.SetSampleRate(setup->sample_rate))
    return V3_INVALID_ARG;
  return V3_OK;
}

v3_result Vst3Plugin::Process(v3_process_data* data)
{
  if (!data)
    return V3_INVALID_ARG;
  ApplyParamChanges(data->input_params);
  // No context: no transport, rather than the last block's.
  if (data->ctx)
    ApplyContext(*data->ctx);
  else
    mExporter.Time() = ITimeInfo();
  // No frames: a flush of parameter changes.
  if (data->nframes == 0)
    return V3_OK;
  if (data->nframes < 0 || data->symbolic_sample_size != V3_SAMPLE_32 || data->num_input_buses < 1 ||
      data->num_output_buses < 1 || !data->inputs || !data->outputs)
    return V3_INVALID_ARG;
  v3_audio_bus_buffers& in = data->inputs[0];
  v3_audio_bus_buffers& out = data->outputs[0];
  if (in.num_channels < mExporter.NIn() || out.num_channels < mExporter.NOut() || !in.channel_buffers_32 ||
      !out.channel_buffers_32)
    return V3_INVALID_ARG;
  for (int c = 0; c < mExporter.NIn(); ++c)
    if (!in.channel_buffers_32[c])
      return V3_INVALID_ARG;
  for (int c = 0; c < mExporter.NOut(); ++c)
    if (!out.channel_buffers_32[c])
      return V3_INVALID_ARG;
  mExporter.Process(in.channel_buffers_32, out.channel_buffers_32, 0, static_cast<uint32_t>(data->nframes));
  // What comes out is what went in, silence included.
  out.channel_silence_bitset = in.channel_silence_bitset;
  return V3_OK;
}

void Vst3Plugin::ApplyParamChanges(v3_param_changes** changes)
{
  if (!changes || !*changes)
    return;
  const int32_t n = v3_cpp_obj(changes)->get_param_count(changes);
  for (int32_t i = 0; i < n; ++i)
  {
    v3_param_value_queue** queue = v3_cpp_obj(changes)->get_param_data(changes, i);
    if (!queue || !*queue)
      continue;
    const int32_t points = v3_cpp_obj(queue)->get_point_count(queue);
    int32_t offset = 0;
    double value = 0.0;
    if (points <= 0 || v3_cpp_obj(queue)->get_point(queue, points - 1, &offset, &value) != V3_OK)
      continue;
    const v3_param_id id = v3_cpp_obj(queue)->get_param_id(queue);
    if (id == Vst3Ids::kBypass)
    {
      if (std::isfinite(value))
        mExporter.SetBypass(value >= 0.5);
    }
    else if (id < static_cast<v3_param_id>(mExporter.NParams()))
      mExporter.SetHostValue(static_cast<int>(id), value);
  }
}

void Vst3Plugin::ApplyContext(const v3_process_context& ctx)
{
  // What the host does not give for this block is unknown, not what it gave before.
  ITimeInfo& time = mExporter.Time();
  time = ITimeInfo();
  time.mTransportIsRunning = (ctx.state & V3_PROCESS_CTX_PLAYING) != 0;
  time.mSamplePos = static_cast<double>(ctx.project_time_in_samples);
  if ((ctx.state & V3_PROCESS_CTX_TEMPO_VALID) && std::isfinite(ctx.bpm) && ctx.bpm > 0.0)
    time.mTempo = ctx.bpm;
  if ((ctx.state & V3_PROCESS_CTX_PROJECT_TIME_VALID) && std::isfinite(ctx.project_time_quarters))
    time.mPPQPos = ctx.project_time_quarters;
  if ((ctx.state & V3_PROCESS_CTX_BAR_POSITION_VALID) && std::isfinite(ctx.bar_position_quarters))
    time.mLastBar = ctx.bar_position_quarters;
  if ((ctx.state & V3_PROCESS_CTX_CYCLE_VALID) && std::isfinite(ctx.cycle_start_quarters) &&
      std::isfinite(ctx.cycle_end_quarters))
  {
    time.mCycleStart = ctx.cycle_start_quarters;
    time.mCycleEnd = ctx.cycle_end_quarters;
  }
  time.mTransportLoopEnabled = (ctx.state & V3_PROCESS_CTX_CYCLE_ACTIVE) != 0;
  if ((ctx.state & V3_PROCESS_CTX_TIME_SIG_VALID) && ctx.time_sig_numerator >= 1 && ctx.time_sig_numerator < 1000 &&
      ctx.time_sig_denom >= 1 && ctx.time_sig_denom < 1000)
  {
    time.mNumerator = ctx.time_sig_numerator;
    time.mDenominator = ctx.time_sig_denom;
  }
}

// --- IEditController ---

const IParam* Vst3Plugin::ParamOf(v3_param_id id) const
{
  return id < static_cast<v3_param_id>(mExporter.NParams()) ? mExporter.Param(static_cast<int>(id)) : nullptr;
}

v3_result Vst3Plugin::GetParameterInfo(int32_t idx, v3_param_info* info) const
{
  if (!info || idx < 0 || idx > mExporter.NParams())
    return V3_INVALID_ARG;
  *info = v3_param_info{};
  if (idx == mExporter.NParams())
  {
    info->param_id = Vst3Ids::kBypass;
    Vst3Text::ToUtf16("Bypass", info->title, 128);
    Vst3Text::ToUtf16("Bypass", info->short_title, 128);
    info->step_count = 1;
    info->flags = V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_BYPASS | V3_PARAM_IS_LIST;
    return V3_OK;
  }
  const IParam* p = mExporter.Param(idx);
  info->param_id = static_cast<v3_param_id>(idx);
  Vst3Text::ToUtf16(p->GetNameForHost(), info->title, 128);
  Vst3Text::ToUtf16(p->GetNameForHost(), info->short_title, 128);
  Vst3Text::ToUtf16(p->GetLabelForHost(), info->units, 128);
  info->step_count = p->Type() == IParam::kTypeDouble ? 0 : static_cast<int32_t>(p->GetMax() - p->GetMin());
  info->default_normalised_value = p->GetDefaultNormalized();
  if (p->GetCanAutomate() && !p->GetIgnoreHostChanges())
    info->flags |= V3_PARAM_CAN_AUTOMATE;
  if (p->NDisplayTexts() > 0)
    info->flags |= V3_PARAM_IS_LIST;
  return V3_OK;
}

v3_result Vst3Plugin::StringForValue(v3_param_id id, double normalized, int16_t* out) const
{
  if (!out || !std::isfinite(normalized))
    return V3_INVALID_ARG;
  normalized = std::clamp(normalized, 0.0, 1.0);
  if (id == Vst3Ids::kBypass)
  {
    Vst3Text::ToUtf16(normalized >= 0.5 ? "On" : "Off", out, 128);
    return V3_OK;
  }
  const IParam* p = ParamOf(id);
  if (!p)
    return V3_INVALID_ARG;
  // Room for any 127 UTF-16 units of UTF-8; the unit is a field of its own.
  char text[512];
  mExporter.FormatValue(static_cast<int>(id), p->FromNormalized(normalized), false, text, sizeof text);
  Vst3Text::ToUtf16(text, out, 128);
  return V3_OK;
}

v3_result Vst3Plugin::ValueForString(v3_param_id id, const int16_t* in, double* out) const
{
  if (!in || !out)
    return V3_INVALID_ARG;
  const std::string text = Vst3Text::FromUtf16(in, 128);
  if (id == Vst3Ids::kBypass)
    return IPlugExporter::ParseBypass(text.c_str(), out) ? V3_OK : V3_INVALID_ARG;
  const IParam* p = ParamOf(id);
  double plain = 0.0;
  if (!p || !mExporter.ParseValue(static_cast<int>(id), text.c_str(), &plain))
    return V3_INVALID_ARG;
  *out = p->ToNormalized(plain);
  return V3_OK;
}

double Vst3Plugin::ToPlain(v3_param_id id, double normalized) const
{
  const IParam* p = ParamOf(id);
  if (!std::isfinite(normalized))
    normalized = 0.0;
  normalized = std::clamp(normalized, 0.0, 1.0);
  return p ? p->FromNormalized(normalized) : normalized;
}

double Vst3Plugin::ToNormalized(v3_param_id id, double plain) const
{
  const IParam* p = ParamOf(id);
  if (!std::isfinite(plain))
    return 0.0;
  if (!p)
    return std::clamp(plain, 0.0, 1.0);
  return p->ToNormalized(std::clamp(plain, p->GetMin(), p->GetMax()));
}

double Vst3Plugin::GetNormalized(v3_param_id id) const
{
  if (id == Vst3Ids::kBypass)
    return mExporter.IsBypassed() ? 1.0 : 0.0;
  return id < static_cast<v3_param_id>(mExporter.NParams()) ? mExporter.GetNormalized(static_cast<int>(id)) : 0.0;
}

v3_result Vst3Plugin::SetNormalized(v3_param_id id, double normalized)
{
  if (!std::isfinite(normalized))
    return V3_INVALID_ARG;
  if (id == Vst3Ids::kBypass)
  {
    mExporter.SetBypass(normalized >= 0.5);
    return V3_OK;
  }
  if (id >= static_cast<v3_param_id>(mExporter.NParams()))
    return V3_INVALID_ARG;
  // A value the plug-in keeps from the host (the camera, the sizes) stays.
  mExporter.SetHostValue(static_cast<int>(id), normalized);
  return V3_OK;
}

v3_result Vst3Plugin::SetHandler(v3_component_handler** handler)
{
  if (handler)
    v3_cpp_obj_ref(handler);
  if (mHandler)
    v3_cpp_obj_unref(mHandler);
  mHandler = handler;
  return V3_OK;
}

v3_plugin_view** Vst3Plugin::CreateView(const char* name)
{
  if (!name || std::strcmp(name, "editor") != 0 || mView || !mExporter.Editor())
    return nullptr;
  mView = new Vst3View(this);
  return mView->Interface();
}
