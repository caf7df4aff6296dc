// A control that shows one line of text with its text record. It is
// transparent to the mouse unless made otherwise (captions are not).
#pragma once

#include "framework/IControl.h"

#include <string>

class ITextControl : public IControl
{
public:
  ITextControl(IPlugBase* plug, IRECT rect, IText* text, const char* str = "");

  void SetTextFromPlug(const char* str);
  const char* GetTextString() const { return mStr.c_str(); }
  // An empty string draws nothing.
  bool Draw(IGraphics* graphics) override;

protected:
  std::string mStr;
};
