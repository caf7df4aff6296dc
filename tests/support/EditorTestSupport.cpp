#include "tests/framework/EditorTestPlug.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

void* OpenTestDisplay()
{
  // A loaded X server now and then resets a new connection.
  for (int attempt = 0; attempt < 5; ++attempt)
  {
    if (Display* d = XOpenDisplay(nullptr))
      return d;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return nullptr;
}

bool HaveDisplay()
{
  Display* d = static_cast<Display*>(OpenTestDisplay());
  if (!d)
    return false;
  XCloseDisplay(d);
  return true;
}
