#include "framework/ICaptionControl.h"

#include "framework/IGraphics.h"
#include "framework/IPlugBase.h"

ICaptionControl::ICaptionControl(IPlugBase* plug, IRECT rect, int paramIdx, IText* text, bool showLabel)
  : ITextControl(plug, rect, text), mShowLabel(showLabel)
{
  mParamIdx = paramIdx;
  mMouseTransparent = false; // a click prompts for the value
}

void ICaptionControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  IControl::OnMouseDown(x, y, mod);
  // A right click has prompted in the base already.
  if (mod && mod->L && !mod->R)
    PromptUserInput();
}

bool ICaptionControl::OnMouseDblClick(int, int, IMouseMod*)
{
  PromptUserInput();
  return true;
}

void ICaptionControl::PrepareDraw()
{
  IParam* param = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  if (!param)
    return;
  char display[64];
  param->GetDisplayForHost(param->Value(), display, sizeof display);
  mStr = display;
  if (mShowLabel)
  {
    mStr += " ";
    mStr += param->GetLabelForHost();
  }
}

bool ICaptionControl::Draw(IGraphics* graphics)
{
  if (!mPlug || !mPlug->GetParam(mParamIdx))
    return false;
  return ITextControl::Draw(graphics);
}
