// The CLAP host adapter: one clap_plugin_t translated into the exporter's
// calls. It answers the core calls, audio-ports, params (values, texts,
// flush), state, latency, and hands the gui and timer calls to its editor
// part (IPlugCLAPGUI).
//
// Threads, as CLAP names them:
// - main thread: init, destroy, activate, deactivate, extensions, texts,
//   state, flush while inactive, gui and timer.
// - audio thread: start/stop_processing, reset, process, flush while
//   active. Wait-free: input events become exporter host values (atomics),
//   the editor's gestures leave through a lock-free queue as output events.
#pragma once

#include "framework/HostNotificationQueue.h"
#include "framework/IPlugExporter.h"

#include <clap/events.h>
#include <clap/ext/params.h>
#include <clap/host.h>
#include <clap/plugin.h>
#include <clap/stream.h>

#include <cstdint>
#include <memory>

class IPlugCLAPGUI;

class IPlugCLAP
{
public:
  // Parameter ids: the plug-in's index plus one (as the ACF ids), the
  // bypass its own.
  static constexpr clap_id kBypassId = 0x7fff0000;

  // Takes the plug-in object over; desc and host outlive the instance.
  IPlugCLAP(IPlugBase* plug, int nIn, int nOut, const clap_plugin_descriptor_t* desc, const clap_host_t* host);
  ~IPlugCLAP();

  IPlugCLAP(const IPlugCLAP&) = delete;
  IPlugCLAP& operator=(const IPlugCLAP&) = delete;

  const clap_plugin_t* ClapPlugin() const { return &mClap; }
  IPlugExporter& Exporter() { return mExporter; }
  // The editor part; null without an editor or before init.
  IPlugCLAPGUI* Gui() const { return mGUI.get(); }
  const clap_host_t* Host() const { return mHost; }
  // The host's extension, or null.
  const void* HostExtension(const char* id) const;
  // Whether the host says this is its audio thread (false when it cannot tell).
  bool OnAudioThread() const;

  // What the editor changed, for the next process or flush; any thread
  // but the audio thread, which drains it.
  void QueueOutput(const HostNotificationQueue::Notification& n);
  // Asks the host for the process or flush that sends queued output.
  void RequestOutputFlush();

  // --- The calls of clap_plugin_t, clap_plugin_params_t, clap_plugin_state_t ---
  bool Init();
  bool Activate(double sampleRate);
  void Reset() { mExporter.RequestReset(); }
  clap_process_status Process(const clap_process_t* process);
  const void* Extension(const char* id);

  uint32_t ParamCount() const { return static_cast<uint32_t>(mExporter.NParams()) + 1; }
  bool ParamInfo(uint32_t index, clap_param_info_t* info) const;
  bool ParamValue(clap_id id, double* value) const;
  bool ValueToText(clap_id id, double value, char* text, uint32_t size) const;
  bool TextToValue(clap_id id, const char* text, double* value) const;
  void Flush(const clap_input_events_t* in, const clap_output_events_t* out);

  bool SaveState(const clap_ostream_t* stream);
  bool LoadState(const clap_istream_t* stream);

private:
  // -1 for the bypass, the parameter's index, or -2 for no parameter of ours.
  int IndexOf(clap_id id) const;
  // Whether an event changes a value or the transport of ours.
  bool Applies(const clap_event_header_t* header) const;
  void ApplyEvent(const clap_event_header_t* header);
  void ApplyTransport(const clap_event_transport_t& t);
  void SendOutput(const clap_output_events_t* out);

  IPlugExporter mExporter;
  clap_plugin_t mClap{};
  const clap_host_t* mHost;
  const clap_host_params_t* mHostParams = nullptr;
  const void* mHostThreadCheck = nullptr;
  std::unique_ptr<IPlugCLAPGUI> mGUI;
  // The editor's gestures and values on their way to the audio thread.
  HostNotificationQueue mOutput;
};
