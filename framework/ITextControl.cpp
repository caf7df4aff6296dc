#include "framework/ITextControl.h"

#include "framework/IGraphics.h"

ITextControl::ITextControl(IPlugBase* plug, IRECT rect, IText* text, const char* str)
  : IControl(plug, rect), mStr(str ? str : "")
{
  if (text)
    mText = *text;
  // Titles and labels are decoration: clicks go to what lies beneath (a
  // size button's title covers the button).
  mMouseTransparent = true;
}

void ITextControl::SetTextFromPlug(const char* str)
{
  const std::string s = str ? str : "";
  if (s != mStr)
  {
    mStr = s;
    SetDirty(false);
  }
}

bool ITextControl::Draw(IGraphics* graphics)
{
  if (mStr.empty())
    return false;
  return graphics->DrawIText(&mText, mStr.c_str(), &mRECT);
}
