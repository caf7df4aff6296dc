// A knob drawn from a filmstrip: one frame per step of its value. Dragging
// up (or right) raises the value by 1 / gearing per knob length, ten times
// finer with Control or Shift; the wheel moves it by 0.01 (0.001) a step.
#pragma once

#include "framework/IBitmap.h"
#include "framework/IKnobControl.h"

class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, EDirection direction = kVertical,
                    double gearing = 4.0);

  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, double d) override;
  bool Draw(IGraphics* graphics) override;

  const IBitmap& GetBitmap() const { return mBitmap; }

protected:
  IBitmap mBitmap;
};
