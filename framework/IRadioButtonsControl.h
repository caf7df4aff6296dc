// A row or column of n buttons drawn from a two-frame picture (off, on),
// of which the value selects one: button k stands for k / (n - 1). The
// buttons are spread evenly over the control's rectangle; a click between
// two of them changes nothing.
#pragma once

#include "framework/IBitmap.h"
#include "framework/IControl.h"

#include <vector>

class IRadioButtonsControl : public IControl
{
public:
  enum EDirection
  {
    kVertical = 0,
    kHorizontal = 1
  };

  IRadioButtonsControl(IPlugBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
                       EDirection direction = kVertical, bool reverse = false);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Given the integer parameter's own value, the button is the one of the
  // whole number the plug-in uses (Int()), also for a value restored
  // between two steps.
  void SetValueFromPlug(double value) override;
  bool Draw(IGraphics* graphics) override;
  // Copies the buttons' rectangles, in button order.
  virtual void GetButtonRects(std::vector<IRECT>* rects);

  int NButtons() const { return static_cast<int>(mRECTs.size()); }
  // The button the value selects.
  int SelectedButton() const;

protected:
  std::vector<IRECT> mRECTs;
  IBitmap mBitmap;
};
