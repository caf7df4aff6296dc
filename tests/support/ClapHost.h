// A CLAP host of our own for the tests: loads a module with dlopen, reads
// its factory and descriptors, and runs one plug-in instance the way a host
// does: activation, process with parameter events, params flush, state
// through streams that move as few bytes per call as asked, and the host
// side of gui, timer-support, params and thread-check, recording what the
// plug-in asks of it. Nothing of it knows our plug-in: any CLAP loads.
//
// Threads: the thread that makes a ClapHost is its main thread; Process
// marks the calling thread as the audio thread for its duration.
#pragma once

#include <clap/entry.h>
#include <clap/events.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>
#include <clap/ext/timer-support.h>
#include <clap/host.h>
#include <clap/plugin-factory.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class ClapModule
{
public:
  explicit ClapModule(const std::string& path);
  ~ClapModule();
  ClapModule(const ClapModule&) = delete;
  ClapModule& operator=(const ClapModule&) = delete;

  // Loaded, entry initialised and a plug-in factory found.
  bool Ok() const { return mFactory != nullptr; }
  const std::string& Error() const { return mError; }
  const clap_plugin_factory_t* Factory() const { return mFactory; }
  std::vector<const clap_plugin_descriptor_t*> Descriptors() const;

private:
  void* mLib = nullptr;
  const clap_plugin_entry_t* mEntry = nullptr;
  const clap_plugin_factory_t* mFactory = nullptr;
  std::string mError;
};

class ClapHost
{
public:
  struct OutEvent
  {
    uint16_t type;
    clap_id param;
    double value;
  };

  // Creates and initialises the plug-in with the given id.
  ClapHost(const ClapModule& module, const std::string& pluginId);
  ~ClapHost();
  ClapHost(const ClapHost&) = delete;
  ClapHost& operator=(const ClapHost&) = delete;

  bool Ok() const { return mPlugin != nullptr; }
  const clap_plugin_t* Plugin() const { return mPlugin; }
  template <class T>
  const T* Ext(const char* id) const
  {
    return static_cast<const T*>(mPlugin->get_extension(mPlugin, id));
  }

  bool Activate(double rate, uint32_t maxFrames);
  void Deactivate();
  // Channels of the main port, 0 without one.
  uint32_t Channels(bool input) const;

  // One block; events are parameter values in time order.
  clap_process_status Process(const std::vector<const float*>& in, const std::vector<float*>& out, uint32_t frames,
                              const std::vector<clap_event_param_value_t>& events = {});
  // params.flush with these events; false without params.
  bool Flush(const std::vector<clap_event_param_value_t>& events);
  static clap_event_param_value_t Value(clap_id id, double value, uint32_t time = 0);
  // What the plug-in sent since the last call, in order.
  std::vector<OutEvent> TakeOutput();
  // The plug-in asked for a flush (or a process) since the last call.
  bool TakeFlushRequest() { return mFlushRequested.exchange(false); }

  // State through streams moving at most maxPerCall bytes per call; a load
  // may be made to fail with a read error after the given bytes.
  bool Save(std::vector<uint8_t>* record, uint64_t maxPerCall = UINT64_MAX) const;
  bool Load(const std::vector<uint8_t>& record, uint64_t maxPerCall = UINT64_MAX, bool errorAtEnd = false) const;

  // timer-support, driven by the test: calls on_timer for every timer.
  size_t NTimers() const { return mTimers.size(); }
  uint32_t TimerPeriod(size_t i) const { return mTimers[i].period; }
  void FireTimers();
  // The last size the plug-in asked for through gui.request_resize.
  uint32_t RequestedWidth() const { return mRequestedW; }
  uint32_t RequestedHeight() const { return mRequestedH; }

private:
  struct Timer
  {
    clap_id id;
    uint32_t period;
  };
  static ClapHost* Of(const clap_host_t* h) { return static_cast<ClapHost*>(h->host_data); }
  static const void* GetExtension(const clap_host_t* h, const char* id);
  static void RequestRestart(const clap_host_t*) {}
  static void RequestProcess(const clap_host_t* h) { Of(h)->mFlushRequested = true; }
  static void RequestCallback(const clap_host_t*) {}
  static bool PushEvent(const clap_output_events_t* list, const clap_event_header_t* ev);
  static uint32_t EventCount(const clap_input_events_t* list);
  static const clap_event_header_t* EventAt(const clap_input_events_t* list, uint32_t i);

  clap_host_t mHost{};
  clap_host_params_t mParams{};
  clap_host_gui_t mGui{};
  clap_host_timer_support_t mTimerSupport{};
  clap_host_thread_check_t mThreadCheck{};
  clap_host_state_t mState{};
  const clap_plugin_t* mPlugin = nullptr;
  bool mActive = false;
  std::thread::id mMainThread;
  std::vector<Timer> mTimers;
  clap_id mNextTimer = 1;
  std::atomic<bool> mFlushRequested{false};
  uint32_t mRequestedW = 0, mRequestedH = 0;
  std::vector<OutEvent> mOutput;
  const std::vector<clap_event_param_value_t>* mInput = nullptr;
};
