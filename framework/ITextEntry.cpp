#include "framework/ITextEntry.h"

#include <cmath>
#include <cstdlib>

ITextEntry::ITextEntry(IControl* control, int paramIdx, const IRECT& rect, const IText& text, const char* initial)
  : mControl(control), mParamIdx(paramIdx), mRECT(rect), mText(text), mString(initial ? initial : "")
{
}

void ITextEntry::Insert(char c)
{
  if (c >= 0x20 && c < 0x7f && mString.size() < 31)
    mString.push_back(c);
}

void ITextEntry::Backspace()
{
  if (!mString.empty())
    mString.pop_back();
}

bool ITextEntry::Parse(double* value) const
{
  const char* start = mString.c_str();
  char* end = nullptr;
  const double v = std::strtod(start, &end);
  if (end == start || !std::isfinite(v))
    return false;
  if (value)
    *value = v;
  return true;
}
