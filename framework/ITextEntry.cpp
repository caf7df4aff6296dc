#include "framework/ITextEntry.h"

#include "framework/IFontRenderer.h"
#include "framework/LICE_Blit.h"

#include <algorithm>
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

IRECT ITextEntry::PlaceOver(const IRECT& r, int textSize, int editorWidth, int editorHeight)
{
  const int w = std::max(r.W(), 64), h = textSize + 8;
  const int cx = (r.L + r.R) / 2, cy = (r.T + r.B) / 2;
  const int l = std::clamp(cx - w / 2, 0, std::max(0, editorWidth - w));
  const int t = std::clamp(cy - h / 2, 0, std::max(0, editorHeight - h));
  return IRECT(l, t, l + w, t + h);
}

ITextEntry::KeyResult ITextEntry::OnKey(int character)
{
  switch (character)
  {
    case 8:
    case 127:
      Backspace();
      return KeyResult::kEdited;
    case 13:
    case 10:
      return KeyResult::kCommit;
    case 27:
      return KeyResult::kCancel;
    default:
      Insert(static_cast<char>(character));
      return KeyResult::kEdited;
  }
}

void ITextEntry::Draw(LICE_IBitmap* dest, IFontRenderer* fonts, const IRECT* clip) const
{
  const IRECT& r = mRECT;
  IText text = mText;
  const IColor& bg = text.mTextEntryBGColor;
  const IColor& fg = text.mTextEntryFGColor;
  LICE_FillRect(dest, r, LICE_RGBA(bg.R, bg.G, bg.B, bg.A), 1.0f, clip);
  LICE_DrawRect(dest, r, LICE_RGBA(fg.R, fg.G, fg.B, fg.A), clip);
  text.mColor = text.mTextEntryFGColor;
  text.mAlign = IText::kAlignNear;
  const std::string shown = mString + "_";
  IRECT line(r.L + 3, r.T + std::max(0, (r.H() - text.mSize - 4) / 2), r.R - 3, r.B);
  fonts->DrawText(dest, text, shown.c_str(), line, clip, nullptr);
}
