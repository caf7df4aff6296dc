#include "editor/IRolloverButtonControl.h"

#include "framework/IGraphics.h"
#include "framework/ITextControl.h"

IRolloverButtonControl::IRolloverButtonControl(IPlugBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap,
                                               bool toggle, ITextControl* textControl, IColor offColor,
                                               IColor onColor)
  : IBitmapControl(plug, rect, bitmap), mToggle(toggle), mTextControl(textControl), mOffColor(offColor),
    mOnColor(onColor)
{
  mParamIdx = paramIdx;
}

void IRolloverButtonControl::OnMouseOver(int, int, IMouseMod*)
{
  if (mValue <= 0.5)
    mValue = 0.5;
  SetDirty(false);
}

void IRolloverButtonControl::OnMouseOut()
{
  if (mValue <= 0.5)
    mValue = 0.0;
  SetDirty(false);
}

void IRolloverButtonControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  IControl::OnMouseDown(x, y, mod);
  if (mod && mod->A)
    return;
  if (mToggle && mValue > 0.5)
  {
    if (mTextControl)
    {
      mTextControl->GetText()->mColor = mOffColor;
      mTextControl->SetDirty(false);
    }
    SetValueFromUserInput(0.0);
  }
  else
  {
    if (mTextControl)
    {
      mTextControl->GetText()->mColor = mOnColor;
      mTextControl->SetDirty(false);
    }
    SetValueFromUserInput(1.0);
  }
}

bool IRolloverButtonControl::Draw(IGraphics* graphics)
{
  const bool drawn = IBitmapControl::Draw(graphics);
  if (mTextControl)
    mTextControl->GetText()->mColor = mValue <= 0.5 ? mOffColor : mOnColor;
  return drawn;
}
