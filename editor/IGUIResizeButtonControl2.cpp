#include "editor/IGUIResizeButtonControl2.h"

#include "framework/IPlugBase.h"

#include <cmath>

IGUIResizeButtonControl2::IGUIResizeButtonControl2(IPlugBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap,
                                                   int width, int height)
  : IRolloverButtonControl(plug, rect, paramIdx, bitmap, false, nullptr, IColor(255, 0, 0, 0), IColor(255, 0, 0, 0)),
    mWidth(width), mHeight(height)
{
}

void IGUIResizeButtonControl2::OnMouseDown(int x, int y, IMouseMod* mod)
{
  mHandlingClick = true;
  const double old = mValue;
  // Switches the size parameter on; the plug-in resets the other two and,
  // seeing this click in progress, leaves the resize to us.
  IRolloverButtonControl::OnMouseDown(x, y, mod);
  if (std::fabs(mValue - old) > 1e-15 && mPlug)
  {
    mPlug->OnEditorWillResize();
    mPlug->ResizeEditor(mWidth, mHeight);
  }
  mHandlingClick = false;
}
