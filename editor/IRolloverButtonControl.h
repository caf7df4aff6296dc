// A three-frame button: frame 1 off, frame 2 while the pointer is over it
// (when off), frame 3 on. A click switches it on (or, as a toggle, off
// again); an optional text control takes the off or on colour with it.
#pragma once

#include "framework/IBitmapControl.h"
#include "framework/IColor.h"

class ITextControl;

class IRolloverButtonControl : public IBitmapControl
{
public:
  IRolloverButtonControl(IPlugBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap, bool toggle = false,
                         ITextControl* textControl = nullptr, IColor offColor = IColor(255, 0, 0, 0),
                         IColor onColor = IColor(255, 0, 0, 0));

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;
  bool Draw(IGraphics* graphics) override;

protected:
  bool mToggle;
  ITextControl* mTextControl;
  IColor mOffColor, mOnColor;
};
