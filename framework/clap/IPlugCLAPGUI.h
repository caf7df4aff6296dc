// The CLAP editor: the plug-in's own editor embedded in the host's X11
// window (never floating), idled by a timer of the host's timer-support.
// After each editor call it hands on what the plug-in queued: gestures and
// values go to the adapter's output queue for the next process or flush
// (and the host is asked for one), a new size to the host's gui as a
// resize request. A value only echoed for a redraw is not sent.
//
// Threads: every call comes from the host's main thread.
#pragma once

#include "framework/IPlugExporter.h"

#include <clap/ext/gui.h>
#include <clap/ext/timer-support.h>

#include <cstdint>

class IPlugCLAP;

class IPlugCLAPGUI : private IPlugExporter::HostSink
{
public:
  // About 25 ticks a second, as the other hosts idle the editor.
  static constexpr uint32_t kTimerMs = 40;

  explicit IPlugCLAPGUI(IPlugCLAP* owner);
  ~IPlugCLAPGUI() override;

  IPlugCLAPGUI(const IPlugCLAPGUI&) = delete;
  IPlugCLAPGUI& operator=(const IPlugCLAPGUI&) = delete;

  static bool IsApiSupported(const char* api, bool floating);
  bool Create(const char* api, bool floating);
  void Destroy();
  bool GetSize(uint32_t* width, uint32_t* height);
  // The editor picks its own sizes: the host may only keep the one it has.
  bool SetSize(uint32_t width, uint32_t height);
  bool SetParent(const clap_window_t* window);
  void OnTimer(clap_id timer);

private:
  // Destroy without handing on what is queued.
  void Close();
  void StartTimer();
  void StopTimer();
  void Deliver();

  void BeginEdit(int idx) override;
  void SetValue(int idx, double normalized, bool echo) override;
  void EndEdit(int idx) override;
  void Resized(int width, int height) override;
  void Queue(HostNotificationQueue::Notification::Kind kind, int idx, double normalized);

  IPlugCLAP* mOwner;
  const clap_host_gui_t* mHostGui = nullptr;
  const clap_host_timer_support_t* mHostTimer = nullptr;
  bool mCreated = false;
  bool mTimerRunning = false;
  clap_id mTimer = CLAP_INVALID_ID;
  // Something was queued for the host since the last flush request.
  bool mPending = false;
};
