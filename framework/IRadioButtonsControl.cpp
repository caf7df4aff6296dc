#include "framework/IRadioButtonsControl.h"

#include "framework/IGraphics.h"
#include "framework/IParam.h"
#include "framework/IPlugBase.h"

#include <algorithm>
#include <cmath>

IRadioButtonsControl::IRadioButtonsControl(IPlugBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
                                           EDirection direction, bool reverse)
  : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap())
{
  const int n = std::max(nButtons, 1);
  const int fh = mBitmap.N > 0 ? mBitmap.H / mBitmap.N : 0;
  const int w = mBitmap.W;
  mRECTs.resize(static_cast<size_t>(n));
  if (direction == kVertical)
  {
    const double gap = n > 1 ? static_cast<double>(rect.H() - fh * n) / (n - 1) : 0.0;
    int y = reverse ? rect.B - fh : rect.T;
    for (int k = 0; k < n; ++k)
    {
      mRECTs[k] = IRECT(rect.L, y, rect.L + w, y + fh);
      const int step = static_cast<int>(gap) + fh;
      y += reverse ? -step : step;
    }
  }
  else
  {
    const double gap = n > 1 ? static_cast<double>(rect.W() - w * n) / (n - 1) : 0.0;
    int x = reverse ? rect.R - w : rect.L;
    for (int k = 0; k < n; ++k)
    {
      mRECTs[k] = IRECT(x, rect.T, x + w, rect.T + fh);
      const int step = static_cast<int>(gap) + w;
      x += reverse ? -step : step;
    }
  }
}

int IRadioButtonsControl::SelectedButton() const
{
  const int n = NButtons();
  const int selected = std::min(n - 1, static_cast<int>(std::lround((n - 1) * mValue)));
  return selected < 0 ? 0 : selected;
}

void IRadioButtonsControl::SetValueFromPlug(double value)
{
  const IParam* p = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  if (p && p->Type() != IParam::kTypeDouble && value == p->GetNormalized())
    value = p->ToNormalized(p->Int());
  IControl::SetValueFromPlug(value);
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  IControl::OnMouseDown(x, y, mod);
  if (mod && mod->A)
    return;
  // The right button prompted for a value in the base already.
  if (mod && mod->R)
    return;
  const int n = NButtons();
  for (int k = 0; k < n; ++k)
    if (mRECTs[k].Contains(x, y))
    {
      mValue = n > 1 ? static_cast<double>(k) / (n - 1) : 0.0;
      break;
    }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics)
{
  const int selected = SelectedButton();
  bool drawn = false;
  for (int k = 0; k < NButtons(); ++k)
    drawn |= graphics->DrawBitmap(&mBitmap, &mRECTs[k], k == selected ? 2 : 1, &mBlend);
  return drawn;
}

void IRadioButtonsControl::GetButtonRects(std::vector<IRECT>* rects)
{
  if (rects)
    *rects = mRECTs;
}
