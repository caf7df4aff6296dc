#include "framework/IMouseRouter.h"

#include "framework/IControl.h"

IControl* IMouseRouter::ControlAt(int x, int y) const
{
  for (auto it = mControls.rbegin(); it != mControls.rend(); ++it)
  {
    IControl* c = *it;
    if (!c->IsHidden() && !c->IsGrayed() && !c->IsMouseTransparent() && c->IsHit(x, y))
      return c;
  }
  return nullptr;
}

void IMouseRouter::Forget(const IControl* control)
{
  if (mMouseCapture == control)
    mMouseCapture = nullptr;
  if (mMouseOver == control)
    mMouseOver = nullptr;
}

void IMouseRouter::Down(int x, int y, IMouseMod* mod)
{
  mMouseX = x;
  mMouseY = y;
  mMouseCapture = ControlAt(x, y);
  if (mMouseCapture)
    mMouseCapture->OnMouseDown(x, y, mod);
}

void IMouseRouter::Up(int x, int y, IMouseMod* mod)
{
  IControl* c = mMouseCapture;
  mMouseCapture = nullptr;
  if (c)
    c->OnMouseUp(x, y, mod);
}

void IMouseRouter::Drag(int x, int y, IMouseMod* mod)
{
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (dX == 0 && dY == 0)
    return;
  mMouseX = x;
  mMouseY = y;
  if (mMouseCapture)
    mMouseCapture->OnMouseDrag(x, y, dX, dY, mod);
}

bool IMouseRouter::DblClick(int x, int y, IMouseMod* mod)
{
  mMouseX = x;
  mMouseY = y;
  mMouseCapture = ControlAt(x, y);
  return mMouseCapture && mMouseCapture->OnMouseDblClick(x, y, mod);
}

void IMouseRouter::Wheel(int x, int y, IMouseMod* mod, double d)
{
  if (IControl* c = ControlAt(x, y))
    c->OnMouseWheel(x, y, mod, d);
}

bool IMouseRouter::Over(int x, int y, IMouseMod* mod)
{
  IControl* c = ControlAt(x, y);
  if (c != mMouseOver && mMouseOver)
    mMouseOver->OnMouseOut();
  mMouseOver = c;
  if (c)
    c->OnMouseOver(x, y, mod);
  return c != nullptr;
}

void IMouseRouter::Out()
{
  IControl* c = mMouseOver;
  mMouseOver = nullptr;
  if (c)
    c->OnMouseOut();
}
