// Pointer events sent to a window the way the X server delivers them, and
// the windows a host window holds, for tests that drive an editor through
// its window. Include it after gtest and
// the other headers: Xlib's macros (None, Bool) would spoil them.
#pragma once

#include "host/XPointerEvents.h"

inline void Send(Display* d, Window w, XEvent ev)
{
  ev.xany.display = d;
  ev.xany.window = w;
  XSendEvent(d, w, True, NoEventMask, &ev);
  XSync(d, False);
}
