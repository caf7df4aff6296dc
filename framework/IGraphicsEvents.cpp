// IGraphics: mouse and key events, and the prompt for a parameter's value.

#include "framework/IGraphics.h"

#include "framework/IControl.h"
#include "framework/IPlugBase.h"
#include "framework/IRectOps.h"
#include "framework/ITextEntry.h"

#include <algorithm>
#include <memory>

using namespace IRectOps;

// --- Events ---

IControl* IGraphics::GetMouseControl(int x, int y) { return mMouse.ControlAt(x, y); }

bool IGraphics::EndPromptUnlessInside(int x, int y)
{
  if (!mTextEntry)
    return true;
  if (mTextEntry->GetRECT().Contains(x, y))
    return false;
  CommitTextEntry();
  return true;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
  WDL_MutexLock editor(&mEditorMutex);
  // A gesture starts from the values other threads handed in.
  ApplyPendingParams();
  if (EndPromptUnlessInside(x, y))
    mMouse.Down(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
  WDL_MutexLock editor(&mEditorMutex);
  mMouse.Up(x, y, mod);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  WDL_MutexLock editor(&mEditorMutex);
  mMouse.Drag(x, y, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  WDL_MutexLock editor(&mEditorMutex);
  ApplyPendingParams();
  return EndPromptUnlessInside(x, y) && mMouse.DblClick(x, y, mod);
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, double d)
{
  WDL_MutexLock editor(&mEditorMutex);
  ApplyPendingParams();
  mMouse.Wheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
  WDL_MutexLock editor(&mEditorMutex);
  return mHandleMouseOver && mMouse.Over(x, y, mod);
}

void IGraphics::OnMouseOut()
{
  WDL_MutexLock editor(&mEditorMutex);
  mMouse.Out();
}

bool IGraphics::OnKeyDown(int x, int y, int key, IMouseMod* mod)
{
  WDL_MutexLock editor(&mEditorMutex);
  ApplyPendingParams();
  IControl* c = GetMouseControl(x, y);
  return c && c->OnKeyDown(x, y, key, mod);
}

// --- Prompt ---

void IGraphics::PromptUserInput(IControl* control)
{
  WDL_MutexLock editor(&mEditorMutex);
  IParam* param = control && mPlug ? mPlug->GetParam(control->ParamIdx()) : nullptr;
  if (!param)
    return;
  if (mTextEntry)
    CancelTextEntry();
  char value[64];
  param->GetDisplayForHost(param->Value(), value, sizeof value);

  IText text = *control->GetText();
  text.mSize = std::clamp(text.mSize, 10, 16);
  const IRECT box = ITextEntry::PlaceOver(*control->GetRECT(), text.mSize, mWidth, mHeight);
  mTextEntry = std::make_unique<ITextEntry>(control, control->ParamIdx(), box, text, value);
  mPendingRegion = Union(mPendingRegion, box);
}

bool IGraphics::OnTextEntryKey(int character)
{
  WDL_MutexLock editor(&mEditorMutex);
  if (!mTextEntry)
    return false;
  switch (mTextEntry->OnKey(character))
  {
    case ITextEntry::KeyResult::kCommit:
      CommitTextEntry();
      return true;
    case ITextEntry::KeyResult::kCancel:
      CancelTextEntry();
      return true;
    case ITextEntry::KeyResult::kEdited:
      break;
  }
  mPendingRegion = Union(mPendingRegion, mTextEntry->GetRECT());
  return true;
}

void IGraphics::CommitTextEntry()
{
  WDL_MutexLock editor(&mEditorMutex);
  if (!mTextEntry)
    return;
  std::unique_ptr<ITextEntry> entry(mTextEntry.release());
  mPendingRegion = Union(mPendingRegion, entry->GetRECT());
  IParam* param = mPlug ? mPlug->GetParam(entry->GetParamIdx()) : nullptr;
  double value = 0.0;
  if (!param || !entry->Parse(&value))
    return;
  value = std::clamp(value, param->GetMin(), param->GetMax());
  entry->GetControl()->SetValueFromUserInput(param->ToNormalized(value));
}

void IGraphics::CancelTextEntry()
{
  WDL_MutexLock editor(&mEditorMutex);
  if (!mTextEntry)
    return;
  mPendingRegion = Union(mPendingRegion, mTextEntry->GetRECT());
  mTextEntry.reset();
}
