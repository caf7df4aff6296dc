// Routes the editor's mouse events to its controls: the topmost control that
// takes the mouse at a point, the control that captured a press until its
// release, and the control the mouse is over. The editor calls it with its
// lock held.
#pragma once

#include <vector>

class IControl;
struct IMouseMod;

class IMouseRouter
{
public:
  explicit IMouseRouter(const std::vector<IControl*>& controls) : mControls(controls) {}

  // The topmost visible, enabled, not mouse-transparent control hit at (x, y).
  IControl* ControlAt(int x, int y) const;
  IControl* GetMouseOver() const { return mMouseOver; }
  // A control going away is no longer captured or under the mouse.
  void Forget(const IControl* control);
  // Forgets every control (they are all going), without telling them.
  void Reset() { mMouseCapture = mMouseOver = nullptr; }
  // The press in progress goes nowhere (the window is closing).
  void ReleaseCapture() { mMouseCapture = nullptr; }

  void Down(int x, int y, IMouseMod* mod);
  void Up(int x, int y, IMouseMod* mod);
  // Only moves count; the deltas are from the last press or drag.
  void Drag(int x, int y, IMouseMod* mod);
  bool DblClick(int x, int y, IMouseMod* mod);
  void Wheel(int x, int y, IMouseMod* mod, double d);
  bool Over(int x, int y, IMouseMod* mod);
  void Out();

private:
  const std::vector<IControl*>& mControls;
  IControl* mMouseCapture = nullptr;
  IControl* mMouseOver = nullptr;
  int mMouseX = 0, mMouseY = 0;
};
