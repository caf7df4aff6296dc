#include "framework/IGraphics.h"

#include "framework/IBackground.h"
#include "framework/IControl.h"
#include "framework/IFontRenderer.h"
#include "framework/IGraphicsWindow.h"
#include "framework/IPlugBase.h"
#include "framework/PlugDescription.h"
#include "framework/IRectOps.h"
#include "framework/IResources.h"
#include "framework/ITextEntry.h"
#include "framework/LICE_Blit.h"
#include "framework/LICE_MemBitmap.h"
#include "framework/LICE_SysBitmap.h"

#include <algorithm>
#include <cstring>

using namespace IRectOps;

namespace
{
LICE_pixel ToPixel(const IColor& c) { return LICE_RGBA(c.R, c.G, c.B, c.A); }
} // namespace

IGraphics::IGraphics(IPlugBase* plug, int w, int h, int fps)
  : mPlug(plug), mWidth(w), mHeight(h), mFPS(fps),
    mFonts(new IFontRenderer)
{
  mNumParams = plug ? plug->NParams() : 0;
  mParamPending.reset(new std::atomic<bool>[static_cast<size_t>(mNumParams)]);
  for (int i = 0; i < mNumParams; ++i)
    mParamPending[i] = false;
}

void IGraphics::Describe(const PlugDescription& desc)
{
  SetBundleID(desc.bundleId);
  mWindowClass = desc.windowClass ? desc.windowClass : "";
  mWindowTitle = desc.windowTitle ? desc.windowTitle : "";
  mFonts->SetStandIn(desc.designFont, desc.designFontStandIn);
}

IGraphics::~IGraphics()
{
  mTextEntry.reset();
  // Controls first: anything of theirs inside the window goes before it.
  ClearControls();
  CloseWindow();
}

void IGraphics::SetDefaultResourceDir(const char* dir) { IResources::SetDefaultDir(dir); }

std::string IGraphics::ResourcePath(const char* file) const { return mResources.Path(file); }

// --- Controls ---

int IGraphics::AttachControl(IControl* control)
{
  WDL_MutexLock editor(&mEditorMutex);
  if (!control)
    return -1;
  control->SetGraphics(this);
  control->SetDirty(false);
  mControls.push_back(control);
  return NControls() - 1;
}

void IGraphics::ForgetControl(IControl* control)
{
  mMouse.Forget(control);
  mNextGLFrameMs.erase(control);
  if (mTextEntry && mTextEntry->GetControl() == control)
  {
    mPendingRegion = Union(mPendingRegion, mTextEntry->GetRECT());
    mTextEntry.reset();
  }
  auto painted = mPainted.find(control);
  if (painted != mPainted.end())
  {
    mPendingRegion = Union(mPendingRegion, painted->second);
    mPainted.erase(painted);
  }
  mPendingRegion = Union(mPendingRegion, *control->GetRECT());
}

bool IGraphics::DetachControl(IControl* control)
{
  WDL_MutexLock editor(&mEditorMutex);
  auto it = std::find(mControls.begin(), mControls.end(), control);
  if (it == mControls.end())
    return false;
  mControls.erase(it);
  ForgetControl(control);
  return true;
}

void IGraphics::ClearControls()
{
  WDL_MutexLock editor(&mEditorMutex);
  std::vector<IControl*> controls;
  controls.swap(mControls);
  mMouse.Reset();
  mTextEntry.reset();
  mPainted.clear();
  mNextGLFrameMs.clear();
  mFullRedraw = true;
  for (IControl* c : controls)
    delete c;
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  if (!param || paramIdx >= mNumParams)
    return;
  // The caller may hold the plug-in's mutex while the editor's thread holds
  // the editor lock and waits for that mutex: never wait here.
  if (!mEditorMutex.TryEnter())
  {
    mParamPending[paramIdx] = true;
    mAnyParamPending = true;
    return;
  }
  ApplyParamToControls(paramIdx, normalized ? value : param->ToNormalized(value));
  mEditorMutex.Leave();
}

void IGraphics::ApplyParamToControls(int paramIdx, double normalized)
{
  for (IControl* c : mControls)
    if (c->ParamIdx() == paramIdx)
      c->SetValueFromPlug(normalized);
}

void IGraphics::SyncWithPlug()
{
  WDL_MutexLock editor(&mEditorMutex);
  if (!mPlug)
    return;
  mPlug->OnEditorSync();
  if (!mAnyParamPending.load())
    return;
  WDL_MutexLock lock(&mPlug->GetMutex());
  ApplyPendingParams();
}

// With both locks held.
void IGraphics::ApplyPendingParams()
{
  if (!mAnyParamPending.exchange(false))
    return;
  for (int i = 0; i < mNumParams; ++i)
    if (mParamPending[i].exchange(false))
      ApplyParamToControls(i, mPlug->GetParam(i)->GetNormalized());
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  WDL_MutexLock editor(&mEditorMutex);
  if (IControl* c = GetControl(controlIdx))
    c->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetAllControlsDirty()
{
  WDL_MutexLock editor(&mEditorMutex);
  for (IControl* c : mControls)
    c->SetDirty(false);
  mFullRedraw = true;
}

void IGraphics::PrepDraw()
{
  WDL_MutexLock editor(&mEditorMutex);
  EnsureDrawBitmap();
  mFullRedraw = true;
}

void IGraphics::EnsureDrawBitmap()
{
  if (!mDrawBitmap)
    mDrawBitmap.reset(new LICE_SysBitmap(mWidth, mHeight));
  else if (mDrawBitmap->getWidth() != mWidth || mDrawBitmap->getHeight() != mHeight)
    mDrawBitmap->resize(mWidth, mHeight);
}

void IGraphics::Resize(int w, int h)
{
  WDL_MutexLock editor(&mEditorMutex);
  if (w == mWidth && h == mHeight)
    return;
  mWidth = w;
  mHeight = h;
  ClearControls();
  mBackground.ForgetScaled();
  if (mDrawBitmap)
    EnsureDrawBitmap();
  if (mWindowImpl)
    mWindowImpl->SetSize(w, h);
  mFullRedraw = true;
  if (mPlug)
  {
    mPlug->ResizeGraphics(w, h);
    mPlug->OnEditorResized();
  }
}

// --- Window ---

bool IGraphics::OpenWindow(uintptr_t parentX11Window)
{
  WDL_MutexLock editor(&mEditorMutex);
  if (mWindowImpl)
    return true;
  mWindowImpl = IGraphicsWindow::Open(this, parentX11Window, mWidth, mHeight);
  if (!mWindowImpl)
    return false;
  mWindow = mWindowImpl->GetNativeWindow();
  EnsureDrawBitmap();
  mFullRedraw = true;
  OnIdle();
  return true;
}

void IGraphics::CloseWindow()
{
  WDL_MutexLock editor(&mEditorMutex);
  if (!mWindowImpl)
    return;
  if (mTextEntry)
    CancelTextEntry();
  mMouse.Out();
  mMouse.ReleaseCapture();
  if (mDrawBitmap)
    mDrawBitmap->ReleaseWindowResources();
  delete mWindowImpl;
  mWindowImpl = nullptr;
  mWindow = 0;
}

void IGraphics::OnIdle()
{
  WDL_MutexLock editor(&mEditorMutex);
  if (mWindowImpl)
    mWindowImpl->ProcessEvents();
  // The host destroyed the parent (and our window with it): close, draw no more.
  if (mWindowImpl && !mWindowImpl->IsAlive())
    CloseWindow();
  SyncWithPlug();
  IRECT region;
  if (!IsDirty(&region))
    return;
  mPaceGLFrames = true;
  DrawRegion(region);
  mPaceGLFrames = false;
  ShowRegion(mLastRedraw);
}

void IGraphics::ShowRegion(const IRECT& region)
{
  if (mWindowImpl && mDrawBitmap)
    mWindowImpl->Show(mDrawBitmap.get(), region);
}

void IGraphics::OnWindowExposed(const IRECT& region)
{
  WDL_MutexLock editor(&mEditorMutex);
  if (!mDrawBitmap)
    return;
  // A surface never drawn has nothing to show yet; the next tick draws it.
  if (mNumRedraws == 0)
  {
    mFullRedraw = true;
    return;
  }
  ShowRegion(region);
}

bool IGraphics::Snapshot(uint8_t* rgba, int w, int h)
{
  // Held to the last byte copied: a resize on another thread waits, so the
  // picture read is the one of the size the caller asked for.
  WDL_MutexLock editor(&mEditorMutex);
  if (mWindowImpl)
    mWindowImpl->ProcessEvents();
  SyncWithPlug();
  if (!rgba || w != mWidth || h != mHeight || w <= 0 || h <= 0)
    return false;
  IRECT ignored;
  IsDirty(&ignored); // takes the dirty marks: everything is drawn now
  DrawRegion(IRECT(0, 0, mWidth, mHeight));
  ShowRegion(mLastRedraw);
  const LICE_pixel* bits = mDrawBitmap->getBits();
  const int span = mDrawBitmap->getRowSpan();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const LICE_pixel p = bits[static_cast<long>(y) * span + x];
      uint8_t* out = rgba + (static_cast<size_t>(y) * w + x) * 4;
      out[0] = static_cast<uint8_t>(LICE_GETR(p));
      out[1] = static_cast<uint8_t>(LICE_GETG(p));
      out[2] = static_cast<uint8_t>(LICE_GETB(p));
      out[3] = 255;
    }
  return true;
}

// --- Redrawing ---

IRECT IGraphics::PaintExtent(IControl* control) const
{
  // Zero-height text rectangles still mark where their text goes.
  IRECT extent = *control->GetRECT();
  extent.R = std::max(extent.R, extent.L + 1);
  extent.B = std::max(extent.B, extent.T + 1);
  auto painted = mPainted.find(control);
  if (painted != mPainted.end())
    extent = Union(extent, painted->second);
  return extent;
}

bool IGraphics::IsDirty(IRECT* region)
{
  // The audio thread's dirty marks are atomic; the list is the editor's.
  WDL_MutexLock editor(&mEditorMutex);
  IRECT r = mPendingRegion;
  if (mFullRedraw)
    r = IRECT(0, 0, mWidth, mHeight);
  for (IControl* c : mControls)
    if (c->IsDirty())
    {
      r = Union(r, PaintExtent(c));
      c->SetClean();
    }
  mPendingRegion = IRECT();
  mFullRedraw = false;
  r = Intersect(r, IRECT(0, 0, mWidth, mHeight));
  if (region)
    *region = r;
  return !IsEmpty(r);
}

void IGraphics::AddPainted(const IRECT& r) { mPaintBounds = Union(mPaintBounds, r); }

void IGraphics::DrawBackground() { mBackground.Draw(mDrawBitmap.get(), mClip, mWidth, mHeight); }

void IGraphics::DrawRegion(const IRECT& regionIn)
{
  WDL_MutexLock editorLock(&mEditorMutex);
  EnsureDrawBitmap();
  const IRECT editor(0, 0, mWidth, mHeight);
  IRECT region = Intersect(regionIn, editor);
  if (IsEmpty(region))
    return;

  // Only the copying happens under the plug-in's mutex: what other threads
  // handed over and what the controls read of the parameters. Drawing
  // follows without it, so the audio thread never waits for it.
  {
    WDL_MutexLock lock(mPlug ? &mPlug->GetMutex() : nullptr);
    if (mPlug)
      ApplyPendingParams();
    for (IControl* c : mControls)
      if (!c->IsHidden())
        c->PrepareDraw();
  }

  // A control may paint beyond the region (a text that grew); the region
  // then grows and is drawn again, a few times at most.
  for (int pass = 0; pass < 4; ++pass)
  {
    mClip = region;
    DrawBackground();
    IRECT needed = region;
    for (size_t i = 0; i < mControls.size(); ++i)
    {
      IControl* c = mControls[i];
      const IRECT before = PaintExtent(c);
      if (c->IsHidden() || !Intersects(before, region))
        continue;
      mPaintBounds = IRECT();
      c->Draw(this);
      mPainted[c] = mPaintBounds;
      // Paint beyond what the control covered before is new on screen.
      if (!Contains(before, mPaintBounds))
        needed = Union(needed, Intersect(mPaintBounds, editor));
    }
    if (Contains(region, needed) || pass == 3)
      break;
    region = needed;
  }

  mClip = region;
  DrawGLPictures(region);
  DrawTextEntry();
  ++mNumRedraws;
  mLastRedraw = region;
}

// GL pictures go over everything drawn beneath them.
void IGraphics::DrawGLPictures(const IRECT& region)
{
  for (size_t i = 0; i < mControls.size(); ++i)
  {
    IControl* c = mControls[i];
    if (c->IsHidden() || !Intersects(*c->GetRECT(), region))
      continue;
    if (LICE_IBitmap* gl = PacedGLBitmap(c))
    {
      const IRECT* r = c->GetRECT();
      LICE_Blit(mDrawBitmap.get(), gl, r->L, r->T, 0, 0, std::min(r->W(), gl->getWidth()),
                std::min(r->H(), gl->getHeight()), 1.0f, IChannelBlend::kBlendClobber, &mClip);
    }
  }
}

LICE_IBitmap* IGraphics::PacedGLBitmap(IControl* c)
{
  if (!c->IsGLFramePending())
    return c->GetGLBitmap();
  const double start = IControl::NowMs();
  auto next = mNextGLFrameMs.find(c);
  if (mPaceGLFrames && next != mNextGLFrameMs.end() && start < next->second)
  {
    // Not yet: the old picture stays, and a later tick draws the new one.
    mPendingRegion = Union(mPendingRegion, *c->GetRECT());
    return c->GetLastGLBitmap();
  }
  LICE_IBitmap* gl = c->GetGLBitmap();
  const double end = IControl::NowMs();
  // Frames on a grid of the tick's period (idle stretches forgotten), and
  // as long without a frame as the last one took.
  const double period = 1000.0 / std::max(mFPS, 1);
  const double slot = next == mNextGLFrameMs.end() ? start : std::max(next->second, start - period / 2);
  mNextGLFrameMs[c] = std::max(slot + period, end + (end - start));
  return gl;
}

void IGraphics::DrawTextEntry()
{
  if (mTextEntry && Intersects(mTextEntry->GetRECT(), mClip))
    mTextEntry->Draw(mDrawBitmap.get(), mFonts.get(), &mClip);
}

// --- Pictures ---

IBitmap IGraphics::LoadIBitmap(int id, const char* path, int nStates)
{
  LICE_MemBitmap* bitmap = mResources.LoadPicture(id, path);
  if (!bitmap)
    return IBitmap(nullptr, 0, 0, nStates);
  return IBitmap(bitmap, bitmap->getWidth(), bitmap->getHeight(), nStates);
}

void IGraphics::AttachBackground(int id, const char* path)
{
  mBackground.Set(LoadIBitmap(id, path, 1));
  mFullRedraw = true;
}

// --- Drawing ---

LICE_IBitmap* IGraphics::GetDrawBitmap()
{
  EnsureDrawBitmap();
  return mDrawBitmap.get();
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int bmpState, const IChannelBlend* blend)
{
  if (!bitmap || !dest)
    return false;
  const int frame = std::clamp(bmpState, 1, std::max(bitmap->N, 1));
  return DrawBitmap(bitmap, dest, 0, (frame - 1) * bitmap->FrameHeight(), blend);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend)
{
  if (!bitmap || !bitmap->mData || !dest)
    return false;
  EnsureDrawBitmap();
  const IChannelBlend::EBlendMethod mode = blend ? blend->mMethod : IChannelBlend::kBlendNone;
  const float weight = blend ? blend->mWeight : 1.0f;
  AddPainted(*dest);
  LICE_Blit(mDrawBitmap.get(), bitmap->mData, dest->L, dest->T, srcX, srcY, dest->W(), dest->H(), weight, mode, &mClip);
  return true;
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect)
{
  if (!text || !str || !*str || !rect)
    return false;
  EnsureDrawBitmap();
  IRECT drawn;
  if (!mFonts->DrawText(mDrawBitmap.get(), *text, str, *rect, &mClip, &drawn))
    return false;
  AddPainted(drawn);
  return true;
}

bool IGraphics::MeasureIText(IText* text, const char* str, IRECT* rect, IRECT* box)
{
  if (!text || !rect)
    return false;
  return mFonts->MeasureText(*text, str, *rect, box);
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend)
{
  if (!color || !rect)
    return false;
  EnsureDrawBitmap();
  AddPainted(*rect);
  LICE_FillRect(mDrawBitmap.get(), *rect, ToPixel(*color), blend ? blend->mWeight : 1.0f, &mClip);
  return true;
}

bool IGraphics::DrawRect(const IColor* color, IRECT* rect)
{
  if (!color || !rect)
    return false;
  EnsureDrawBitmap();
  AddPainted(*rect);
  LICE_DrawRect(mDrawBitmap.get(), *rect, ToPixel(*color), &mClip);
  return true;
}

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
  return EndPromptUnlessInside(x, y) && mMouse.DblClick(x, y, mod);
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, double d)
{
  WDL_MutexLock editor(&mEditorMutex);
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
  mTextEntry.reset(new ITextEntry(control, control->ParamIdx(), box, text, value));
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
