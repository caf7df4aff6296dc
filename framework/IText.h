// Text record of a control: font, size, colour, style, alignment and the
// colours of the text entry that edits it.
#pragma once

#include "framework/IColor.h"

struct IText
{
  enum EStyle
  {
    kStyleNormal = 0,
    kStyleBold = 1,
    kStyleItalic = 2
  };
  enum EAlign
  {
    kAlignNear = 0,
    kAlignCenter = 1,
    kAlignFar = 2
  };

  char mFont[32] = "Tahoma";
  int mSize = 14;
  IColor mColor = IColor(255, 0, 0, 0);
  EStyle mStyle = kStyleBold;
  EAlign mAlign = kAlignCenter;
  IColor mTextEntryBGColor = IColor(255, 255, 255, 255);
  IColor mTextEntryFGColor = IColor(255, 0, 0, 0);
};
