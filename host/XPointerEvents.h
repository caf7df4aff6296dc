// Pointer events built the way the X server delivers them, and the windows
// a window holds, for driving an editor through its window (the latency
// drags and the tests). Include it after other headers: Xlib's macros
// (None, Bool) would spoil them.
#pragma once

#include <X11/Xlib.h>

#include <vector>

inline XEvent Button(int type, Window w, int x, int y, unsigned button, Time time, unsigned state = 0)
{
  XEvent ev{};
  ev.type = type;
  ev.xbutton.window = w;
  ev.xbutton.x = x;
  ev.xbutton.y = y;
  ev.xbutton.button = button;
  ev.xbutton.time = time;
  ev.xbutton.state = state;
  ev.xbutton.same_screen = True;
  return ev;
}

inline XEvent Motion(Window w, int x, int y, Time time, unsigned state)
{
  XEvent ev{};
  ev.type = MotionNotify;
  ev.xmotion.window = w;
  ev.xmotion.x = x;
  ev.xmotion.y = y;
  ev.xmotion.time = time;
  ev.xmotion.state = state;
  ev.xmotion.is_hint = NotifyNormal;
  ev.xmotion.same_screen = True;
  return ev;
}

inline std::vector<Window> Children(Display* d, Window w)
{
  Window root = 0, up = 0, *children = nullptr;
  unsigned n = 0;
  std::vector<Window> list;
  if (XQueryTree(d, w, &root, &up, &children, &n))
    list.assign(children, children + n);
  if (children)
    XFree(children);
  return list;
}
