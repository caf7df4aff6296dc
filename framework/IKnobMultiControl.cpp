#include "framework/IKnobMultiControl.h"

#include "framework/IGraphics.h"

IKnobMultiControl::IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                     EDirection direction, double gearing)
  : IKnobControl(plug, IRECT(x, y, x + (bitmap ? bitmap->W : 0), y + (bitmap ? bitmap->FrameHeight() : 0)), paramIdx,
                 direction, gearing),
    mBitmap(bitmap ? *bitmap : IBitmap())
{
}

void IKnobMultiControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
  double gearing = mGearing;
  if (mod && (mod->C || mod->S))
    gearing *= 10.0;
  if (gearing == 0.0)
    return;
  if (mDirection == kVertical)
  {
    if (mRECT.H() == 0)
      return;
    mValue += static_cast<double>(dY) / static_cast<double>(mRECT.T - mRECT.B) / gearing;
  }
  else
  {
    if (mRECT.W() == 0)
      return;
    mValue += static_cast<double>(dX) / static_cast<double>(mRECT.R - mRECT.L) / gearing;
  }
  SetDirty(true);
}

void IKnobMultiControl::OnMouseWheel(int, int, IMouseMod* mod, double d)
{
  mValue += (mod && (mod->C || mod->S) ? 0.001 : 0.01) * d;
  SetDirty(true);
}

bool IKnobMultiControl::Draw(IGraphics* graphics)
{
  return graphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mValue, mBitmap.N), &mBlend);
}
