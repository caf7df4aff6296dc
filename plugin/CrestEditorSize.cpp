// Switching the editor between its three sizes; the graph control, and with
// it the view, survives every switch.
#include "plugin/Crest.h"

#include "framework/IControl.h"
#include "framework/IGraphics.h"
#include "graph/GraphControl10.h"

#include <algorithm>

#include "editor/IGUIResizeButtonControl2.h"

namespace
{
bool HandlingClick(IGUIResizeButtonControl2* button) { return button && button->IsHandlingClick(); }

IControl* AsControl(IGUIResizeButtonControl2* button) { return button; }

bool IsAttached(IGraphics* g, IControl* control)
{
  for (int i = 0; i < g->NControls(); ++i)
    if (g->GetControl(i) == control)
      return true;
  return false;
}
} // namespace

void Crest::ChangeEditorSize(int paramIdx)
{
  if (GetParam(paramIdx)->Int() != 1)
    return;
  const EditorSize& size = kEditorSizes[paramIdx - kSmallGUI];
  for (const EditorSize& other : kEditorSizes)
    if (other.paramIdx != paramIdx)
      ResetParamToDefault(other.paramIdx);

  // A button in the middle of its own click resizes by itself afterwards.
  IGUIResizeButtonControl2* button = mSizeButtons[paramIdx - kSmallGUI];
  IGraphics* g = GetGUI();
  if (!button || HandlingClick(button) || !g)
    return;
  // The state mutex may be held here; the editor's thread may be waiting for it with
  // the editor lock held. Then the editor applies the size at its next sync.
  if (!g->GetEditorMutex().TryEnter())
  {
    mPendingEditorSize = paramIdx;
    return;
  }
  mPendingEditorSize = -1;
  mKeepGraph = g->Width() != size.width || g->Height() != size.height;
  ResizeEditor(size.width, size.height);
  mKeepGraph = true;
  g->GetEditorMutex().Leave();
}

void Crest::OnEditorSync()
{
  const int paramIdx = mPendingEditorSize.exchange(-1);
  if (paramIdx < 0)
    return;
  WDL_MutexLock lock(&mMutex);
  ChangeEditorSize(paramIdx);
}

void Crest::ResizeEditor(int w, int h)
{
  IPlugBase::ResizeEditor(w, h);

  // A resize to the current size keeps every control: what was taken out in
  // anticipation of a new layout goes back.
  IGraphics* g = GetGUI();
  if (!g)
    return;
  if (mGraph && !IsAttached(g, mGraph))
    g->AttachControl(mGraph);
  for (IGUIResizeButtonControl2* b : mSizeButtons)
  {
    IControl* c = AsControl(b);
    auto retired = std::find(mRetiredButtons.begin(), mRetiredButtons.end(), c);
    if (c && retired != mRetiredButtons.end())
    {
      mRetiredButtons.erase(retired);
      g->AttachControl(c);
    }
  }
}

void Crest::OnEditorWillResize()
{
  IGraphics* g = GetGUI();
  if (!g)
    return;

  // Buttons retired by an earlier click are done with it by now.
  // Buttons retired by an earlier click are done with it by now; those of
  // the current layout still handle the click that brought us here.
  mRetiredButtons.erase(std::remove_if(mRetiredButtons.begin(), mRetiredButtons.end(),
                                       [this](IControl* c) {
                                         for (IGUIResizeButtonControl2* b : mSizeButtons)
                                           if (AsControl(b) == c)
                                             return false;
                                         delete c;
                                         return true;
                                       }),
                        mRetiredButtons.end());

  if (mKeepGraph && mGraph)
    g->DetachControl(mGraph);

  const bool clicking = std::any_of(std::begin(mSizeButtons), std::end(mSizeButtons), HandlingClick);
  if (clicking)
    for (IGUIResizeButtonControl2* b : mSizeButtons)
      if (IControl* c = AsControl(b); c && g->DetachControl(c))
        mRetiredButtons.push_back(c);
}

void Crest::OnEditorResized()
{
  IGraphics* g = GetGUI();
  if (!g)
    return;
  if (mGraph)
    mGraph->Resize(mGraphBaseWidth + g->Width() - kEditorWidth, mGraphBaseHeight + g->Height() - kEditorHeight);

  int yOffset = 0;
  for (const EditorSize& size : kEditorSizes)
    if (size.height == g->Height())
      yOffset = size.yOffset;
  CreateControls(g, yOffset, false);

  if (mGraph)
    g->AttachControl(mGraph);

  for (int i = 0; i < g->NControls(); ++i)
  {
    IControl* c = g->GetControl(i);
    if (IParam* p = GetParam(c->ParamIdx()))
    {
      c->SetValueFromPlug(p->GetNormalized());
      c->SetDefaultValue(p->GetDefaultNormalized());
    }
  }
}
