#include "framework/clap/IPlugCLAPGUI.h"

#include "framework/IGraphics.h"
#include "framework/clap/IPlugCLAP.h"

#include <cstring>

using Notification = HostNotificationQueue::Notification;

IPlugCLAPGUI::IPlugCLAPGUI(IPlugCLAP* owner) : mOwner(owner)
{
  mHostGui = static_cast<const clap_host_gui_t*>(owner->HostExtension(CLAP_EXT_GUI));
  mHostTimer = static_cast<const clap_host_timer_support_t*>(owner->HostExtension(CLAP_EXT_TIMER_SUPPORT));
}

// The plug-in is going too: what the editor left has no one to go to.
IPlugCLAPGUI::~IPlugCLAPGUI() { Close(); }

bool IPlugCLAPGUI::IsApiSupported(const char* api, bool floating)
{
  return api && std::strcmp(api, CLAP_WINDOW_API_X11) == 0 && !floating;
}

bool IPlugCLAPGUI::Create(const char* api, bool floating)
{
  // The editor draws only when idled: without the host's timers it cannot run.
  if (mCreated || !IsApiSupported(api, floating) || !mHostTimer || !mHostTimer->register_timer)
    return false;
  mCreated = true;
  StartTimer();
  return true;
}

void IPlugCLAPGUI::Destroy()
{
  if (!mCreated)
    return;
  Close();
  // The gestures and values since the last tick, and those closing ends,
  // still reach the host; a new size does not, its gui is gone.
  Deliver();
}

void IPlugCLAPGUI::Close()
{
  if (!mCreated)
    return;
  StopTimer();
  mOwner->Exporter().CloseEditor();
  mCreated = false;
}

bool IPlugCLAPGUI::GetSize(uint32_t* width, uint32_t* height)
{
  int w = 0, h = 0;
  if (!mCreated || !mOwner->Exporter().EditorSize(&w, &h))
    return false;
  *width = static_cast<uint32_t>(w);
  *height = static_cast<uint32_t>(h);
  return true;
}

bool IPlugCLAPGUI::SetSize(uint32_t width, uint32_t height)
{
  uint32_t w = 0, h = 0;
  return GetSize(&w, &h) && w == width && h == height;
}

bool IPlugCLAPGUI::SetParent(const clap_window_t* window)
{
  if (!mCreated || !window || !window->api || std::strcmp(window->api, CLAP_WINDOW_API_X11) != 0)
    return false;
  IPlugExporter& exporter = mOwner->Exporter();
  exporter.CloseEditor();
  const bool open = exporter.OpenEditor(static_cast<uintptr_t>(window->x11));
  if (open)
    StartTimer();
  Deliver();
  return open;
}

void IPlugCLAPGUI::OnTimer(clap_id timer)
{
  if (!mTimerRunning || timer != mTimer)
    return;
  mOwner->Exporter().IdleEditor();
  Deliver();
}

void IPlugCLAPGUI::StartTimer()
{
  if (mTimerRunning || !mHostTimer || !mHostTimer->register_timer)
    return;
  clap_id id = CLAP_INVALID_ID;
  if (mHostTimer->register_timer(mOwner->Host(), kTimerMs, &id))
  {
    mTimer = id;
    mTimerRunning = true;
  }
}

void IPlugCLAPGUI::StopTimer()
{
  if (!mTimerRunning)
    return;
  if (mHostTimer->unregister_timer)
    mHostTimer->unregister_timer(mOwner->Host(), mTimer);
  mTimerRunning = false;
  mTimer = CLAP_INVALID_ID;
}

void IPlugCLAPGUI::Deliver()
{
  mOwner->Exporter().DeliverNotifications(*this);
  if (mPending)
  {
    mPending = false;
    mOwner->RequestOutputFlush();
  }
}

void IPlugCLAPGUI::Queue(Notification::Kind kind, int idx, double normalized)
{
  Notification n;
  n.kind = kind;
  n.idx = idx;
  n.value = normalized;
  mOwner->QueueOutput(n);
  mPending = true;
}

void IPlugCLAPGUI::BeginEdit(int idx) { Queue(Notification::kBegin, idx, 0.0); }

void IPlugCLAPGUI::SetValue(int idx, double normalized, bool echo)
{
  // The graph's redraw echo is no change: nothing for the host to record.
  if (!echo)
    Queue(Notification::kValue, idx, normalized);
}

void IPlugCLAPGUI::EndEdit(int idx) { Queue(Notification::kEnd, idx, 0.0); }

void IPlugCLAPGUI::Resized(int width, int height)
{
  if (mCreated && mHostGui && mHostGui->request_resize && width > 0 && height > 0)
    mHostGui->request_resize(mOwner->Host(), static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}
