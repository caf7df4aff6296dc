#include "framework/XErrorTrap.h"

#include <X11/Xlib.h>

#include <atomic>
#include <mutex>

namespace
{
// Traps nest on one thread and are taken one thread at a time; the handler
// itself takes no lock, as Xlib may call it while another thread waits here.
std::recursive_mutex gLock;
std::atomic<XErrorTrap*> gInnermost{nullptr};
std::atomic<XErrorHandler> gHostHandler{nullptr};

int OnXError(Display* display, XErrorEvent* event) { return XErrorTrap::Handle(display, event); }
} // namespace

XErrorTrap::XErrorTrap(void* display) : mDisplay(display)
{
  gLock.lock();
  mOuter = gInnermost.load();
  gInnermost.store(this);
  if (!mOuter)
    gHostHandler.store(XSetErrorHandler(&OnXError));
}

namespace
{
// Errors arrive late: what was sent under the trap is answered first. With
// nothing outstanding there is no round trip to wait for.
void SyncIfOutstanding(void* displayPtr)
{
  Display* display = static_cast<Display*>(displayPtr);
  if (display && NextRequest(display) - 1 > LastKnownRequestProcessed(display))
    XSync(display, False);
}
} // namespace

XErrorTrap::~XErrorTrap()
{
  SyncIfOutstanding(mDisplay);
  gInnermost.store(mOuter);
  if (!mOuter)
    XSetErrorHandler(gHostHandler.exchange(nullptr));
  gLock.unlock();
}

bool XErrorTrap::Failed()
{
  SyncIfOutstanding(mDisplay);
  return mError != 0;
}

int XErrorTrap::Handle(void* display, void* errorEvent)
{
  auto* event = static_cast<XErrorEvent*>(errorEvent);
  for (XErrorTrap* t = gInnermost.load(); t; t = t->mOuter)
    if (t->mDisplay && t->mDisplay == display)
    {
      if (!t->mError)
        t->mError = event->error_code;
      return 0;
    }
  XErrorHandler host = gHostHandler.load();
  return host && host != &OnXError ? host(static_cast<Display*>(display), event) : 0;
}
