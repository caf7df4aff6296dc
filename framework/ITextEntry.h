// The small text entry that the editor lays over a control when the
// control prompts for its parameter's value: it holds the text being typed
// and turns it into a value. The editor draws it and feeds it keys.
#pragma once

#include "framework/IRECT.h"
#include "framework/IText.h"

#include <string>

class IControl;

class ITextEntry
{
public:
  ITextEntry(IControl* control, int paramIdx, const IRECT& rect, const IText& text, const char* initial);

  IControl* GetControl() const { return mControl; }
  int GetParamIdx() const { return mParamIdx; }
  const IRECT& GetRECT() const { return mRECT; }
  const IText& GetText() const { return mText; }
  const std::string& GetString() const { return mString; }

  // Printable ASCII characters are appended (up to 31 of them).
  void Insert(char c);
  void Backspace();
  // The text as a number (surrounding blanks and a unit after it allowed);
  // false when it does not start with one.
  bool Parse(double* value) const;

private:
  IControl* mControl;
  int mParamIdx;
  IRECT mRECT;
  IText mText;
  std::string mString;
};
