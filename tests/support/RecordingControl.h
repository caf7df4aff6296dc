// A custom control that records every event it receives and answers key
// presses with a set result.
#pragma once

#include "graph/GraphCustomControl.h"

#include <string>
#include <vector>

class RecordingControl : public GraphCustomControl
{
public:
  explicit RecordingControl(bool keyResult = false) : mKeyResult(keyResult) {}

  void OnMouseDown(int x, int y, IMouseMod*) override { Record("down", x, y); }
  void OnMouseUp(int x, int y, IMouseMod*) override { Record("up", x, y); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod*) override { Record("drag", x, y); }
  bool OnMouseDblClick(int x, int y, IMouseMod*) override
  {
    Record("dbl", x, y);
    return true;
  }
  void OnMouseWheel(int x, int y, IMouseMod*, double) override { Record("wheel", x, y); }
  bool OnKeyDown(int x, int y, int, IMouseMod*) override
  {
    Record("key", x, y);
    return mKeyResult;
  }
  void OnMouseOver(int x, int y, IMouseMod*) override { Record("over", x, y); }
  void OnMouseOut() override { Record("out", 0, 0); }

  std::vector<std::string> mEvents;

private:
  void Record(const char* what, int x, int y)
  {
    mEvents.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  bool mKeyResult;
};
