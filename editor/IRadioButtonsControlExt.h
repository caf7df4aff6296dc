// Radio buttons that light a glow picture around the selected button. The
// glows are separate controls that the editor owns and draws in their own
// turn; this control only picks their frames (2 lit, 1 dark).
#pragma once

#include "framework/IRadioButtonsControl.h"

#include <vector>

class IBitmapControlExt;

class IRadioButtonsControlExt : public IRadioButtonsControl
{
public:
  IRadioButtonsControlExt(IPlugBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
                          EDirection direction = kVertical, bool reverse = false);

  bool Draw(IGraphics* graphics) override;
  // One glow per button, in button order; not owned.
  virtual void SetDiffuseBitmaps(const std::vector<IBitmapControlExt*>& glows);

protected:
  std::vector<IBitmapControlExt*> mGlows;
};
