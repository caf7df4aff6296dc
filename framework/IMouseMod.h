// Mouse-button and modifier-key state handed to control event handlers.
#pragma once

struct IMouseMod
{
  bool L = false, R = false, S = false, C = false, A = false;
  IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false, bool a = false)
    : L(l), R(r), S(s), C(c), A(a)
  {
  }
};
