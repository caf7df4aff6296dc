// A rollover button that switches the editor to its size. While its own
// click is being handled it says so (IsHandlingClick), so that the plug-in
// leaves the resize to the button and keeps the button alive through it.
#pragma once

#include "editor/IRolloverButtonControl.h"

class IGUIResizeButtonControl2 : public IRolloverButtonControl
{
public:
  IGUIResizeButtonControl2(IPlugBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap, int width, int height);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  bool IsHandlingClick() const { return mHandlingClick; }
  int GetTargetWidth() const { return mWidth; }
  int GetTargetHeight() const { return mHeight; }

protected:
  int mWidth, mHeight;
  bool mHandlingClick = false;
};
