#include "framework/IGraphics.h"

#include "framework/IControl.h"
#include "framework/IFontRenderer.h"
#include "framework/IGraphicsWindow.h"
#include "framework/IPlugBase.h"
#include "framework/IRectOps.h"
#include "framework/IResources.h"
#include "framework/ITextEntry.h"
#include "framework/LICE_MemBitmap.h"
#include "framework/LICE_SysBitmap.h"
#include "framework/PlugDescription.h"

#include <algorithm>

using namespace IRectOps;

IGraphics::IGraphics(IPlugBase* plug, int w, int h, int fps)
  : mPlug(plug), mWidth(w), mHeight(h), mFPS(fps), mFonts(new IFontRenderer)
{
  mNumParams = plug ? plug->NParams() : 0;
  mParamPending = std::make_unique<std::atomic<bool>[]>(static_cast<size_t>(mNumParams));
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

void IGraphics::SetParameterFromPlug(int paramIdx, double, bool)
{
  // Any thread, the audio thread included: the controls take the
  // parameter's value at the editor's next sync, on the editor's thread.
  if (paramIdx < 0 || paramIdx >= mNumParams)
    return;
  // Release and acquire per parameter too: a sync woken by another
  // parameter's mark may find this one and must then see its value.
  mParamPending[paramIdx].store(true, std::memory_order_release);
  mAnyParamPending.store(true, std::memory_order_release);
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
  ApplyPendingParams();
  for (IControl* c : mControls)
    c->TakePendingPush();
}

void IGraphics::ApplyPendingParams()
{
  if (!mAnyParamPending.exchange(false, std::memory_order_acquire))
    return;
  for (int i = 0; i < mNumParams; ++i)
    if (mParamPending[i].exchange(false, std::memory_order_acquire))
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
  mFullRedraw = true;
}

bool IGraphics::EnsureDrawBitmap()
{
  // Made by the first draw, not with the editor: an instance whose editor
  // never opens never pays for it.
  if (!mDrawBitmap)
  {
    mDrawBitmap = std::make_unique<LICE_SysBitmap>(mWidth, mHeight);
    mDrawBitmap->SetUseSharedMemory(mSharedMemoryImages);
    return true;
  }
  if (mDrawBitmap->getWidth() != mWidth || mDrawBitmap->getHeight() != mHeight)
    mDrawBitmap->resize(mWidth, mHeight);
  return false;
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
  // Paced from here: a GL picture that is not due yet leaves its control
  // out of the region, so an unchanged picture is not drawn and sent again.
  mPaceGLFrames = mGLFramePacing;
  const bool dirty = IsDirty(&region);
  if (dirty)
    DrawRegion(region);
  mPaceGLFrames = false;
  if (dirty)
    ShowRegion(mLastRedraw);
}

void IGraphics::ShowRegion(const IRECT& region)
{
  if (!mWindowImpl || !mDrawBitmap)
    return;
  const double start = IControl::NowMs();
  mWindowImpl->Show(mDrawBitmap.get(), region);
  mStageTimes.showMs += IControl::NowMs() - start;
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
