#include "tests/framework/EditorTestPlug.h"

#include <X11/Xlib.h>

bool HaveDisplay()
{
  Display* d = XOpenDisplay(nullptr);
  if (!d)
    return false;
  XCloseDisplay(d);
  return true;
}
