// One VST3 instance of the plug-in: the component, its audio processor and
// its edit controller in one object. A single component because both
// halves share the exporter: the host needs no messages between them, and
// an edit made on either side is the same atomic value. It translates the
// format's calls into the exporter's and nothing more.
//
// Threads: process on the audio thread, wait-free (parameter queues go to
// the exporter's SetHostValue, all points of a queue applied at the start
// of the block, the last one winning; the process context becomes its
// transport). State calls on any thread but the audio thread. Controller
// calls and the editor view on the host's UI thread.
#pragma once

#include "framework/IPlugExporter.h"
#include "framework/vst3/Vst3Face.h"

#include <travesty/audio_processor.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>

#include <cstdint>

class Vst3View;

class Vst3Plugin : public Vst3Counted<Vst3Plugin>
{
public:
  // Takes the plug-in object over; one reference, the creator's.
  Vst3Plugin(IPlugBase* plug, int nIn, int nOut);
  ~Vst3Plugin();
  Vst3Plugin(const Vst3Plugin&) = delete;
  Vst3Plugin& operator=(const Vst3Plugin&) = delete;

  // The interface asked for, with a reference the caller owns.
  v3_result QueryInterface(const v3_tuid iid, void** obj);

  IPlugExporter& Exporter() { return mExporter; }
  // The host's handler of edits, null until the host sets one. UI thread.
  v3_component_handler** Handler() const { return mHandler; }
  // The view tells us it is gone, so that a new one may be made.
  void ViewGone(const Vst3View* view);

private:
  struct Tables;
  static const Tables& VTables();

  // IComponent
  v3_result GetBusInfo(int32_t type, int32_t dir, int32_t idx, v3_bus_info* info) const;
  v3_result SetActive(bool active);
  v3_result SetState(v3_bstream** stream);
  v3_result GetState(v3_bstream** stream);
  // IAudioProcessor
  v3_result SetBusArrangements(const v3_speaker_arrangement* in, int32_t nIn, const v3_speaker_arrangement* out,
                               int32_t nOut) const;
  v3_result GetBusArrangement(int32_t dir, int32_t idx, v3_speaker_arrangement* arr) const;
  v3_result SetupProcessing(const v3_process_setup* setup);
  v3_result Process(v3_process_data* data);
  void ApplyParamChanges(v3_param_changes** changes);
  void ApplyContext(const v3_process_context& ctx);
  // IEditController
  v3_result GetParameterInfo(int32_t idx, v3_param_info* info) const;
  v3_result StringForValue(v3_param_id id, double normalized, int16_t* out) const;
  v3_result ValueForString(v3_param_id id, const int16_t* in, double* out) const;
  double ToPlain(v3_param_id id, double normalized) const;
  double ToNormalized(v3_param_id id, double plain) const;
  double GetNormalized(v3_param_id id) const;
  v3_result SetNormalized(v3_param_id id, double normalized);
  v3_result SetHandler(v3_component_handler** handler);
  v3_plugin_view** CreateView(const char* name);

  v3_speaker_arrangement Arrangement(int channels) const;
  // Null for the bypass and ids of no parameter.
  const IParam* ParamOf(v3_param_id id) const;

  Vst3Face<Vst3Plugin> mComponent, mProcessor, mController, mContext;
  IPlugExporter mExporter;
  v3_component_handler** mHandler = nullptr;
  Vst3View* mView = nullptr;
};
