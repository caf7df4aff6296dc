// The small text entry that the editor lays over a control when the
// control prompts for its parameter's value: it holds the text being typed
// and turns it into a value. The editor draws it and feeds it keys.
#pragma once

#include "framework/IRECT.h"
#include "framework/IText.h"

#include <string>

class IControl;
class IFontRenderer;
class LICE_IBitmap;

class ITextEntry
{
public:
  ITextEntry(IControl* control, int paramIdx, const IRECT& rect, const IText& text, const char* initial);

  IControl* GetControl() const { return mControl; }
  int GetParamIdx() const { return mParamIdx; }
  const IRECT& GetRECT() const { return mRECT; }
  const IText& GetText() const { return mText; }
  const std::string& GetString() const { return mString; }

  // Where a prompt goes: over the control, at least wide and tall enough
  // for a number (textSize is already clamped), kept inside the editor.
  static IRECT PlaceOver(const IRECT& control, int textSize, int editorWidth, int editorHeight);

  enum class KeyResult
  {
    kEdited,
    kCommit,
    kCancel
  };
  // Backspace (8, 127) deletes, Return (13, 10) asks to commit, Escape (27)
  // to cancel; anything else goes to Insert.
  KeyResult OnKey(int character);

  // The box, its frame and the text with a cursor after it.
  void Draw(LICE_IBitmap* dest, IFontRenderer* fonts, const IRECT* clip) const;

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
