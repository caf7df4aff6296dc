#include "framework/IControl.h"

#include "framework/IGraphics.h"
#include "framework/IPlugBase.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace
{
double SteadyMs()
{
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
double (*gClock)() = &SteadyMs;
} // namespace

double IControl::NowMs() { return gClock(); }
void IControl::SetClockForTesting(double (*clock)()) { gClock = clock ? clock : &SteadyMs; }

int IControl::FrameForValue(double v, int nFrames)
{
  if (nFrames < 2)
    return 1;
  const int i = static_cast<int>(std::lround((nFrames - 1) * v)) + 1;
  return std::min(std::max(i, 1), nFrames);
}

IControl::IControl(IPlugBase* plug, IRECT rect, int paramIdx, IChannelBlend blend)
  : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blend)
{
}

IControl::~IControl() = default;

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
  mLastMouseDownMs = NowMs();
  if (mod && mod->A && mDefaultValue >= 0.0)
  {
    mValue = mDefaultValue;
    SetDirty(true);
  }
  // A right click (or Command-click) prompts for a value.
  if (mod && mod->R)
    PromptUserInput();
}

void IControl::OnMouseUp(int, int, IMouseMod*) {}
void IControl::OnMouseDrag(int, int, int, int, IMouseMod*) {}

bool IControl::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  const double now = NowMs();
  if (now - mLastMouseDownMs < 251.0)
  {
    mLastMouseDownMs = now;
    if (mDefaultValue >= 0.0)
      mValue = mDefaultValue;
    SetDirty(true);
    return true;
  }
  OnMouseDown(x, y, mod);
  return false;
}

void IControl::OnMouseWheel(int, int, IMouseMod*, double) {}
bool IControl::OnKeyDown(int, int, int, IMouseMod*) { return false; }
void IControl::OnMouseOver(int, int, IMouseMod*) {}
void IControl::OnMouseOut() {}
LICE_IBitmap* IControl::GetGLBitmap() { return nullptr; }
LICE_IBitmap* IControl::GetLastGLBitmap() { return nullptr; }
bool IControl::IsGLFramePending() const { return false; }
void IControl::PrepareDraw() {}

void IControl::SetValueFromPlug(double value)
{
  if (mDefaultValue < 0.0)
    mDefaultValue = value;
  if (mValue != value)
  {
    mValue = value;
    SetDirty(false);
  }
}

void IControl::SetValueFromUserInput(double value)
{
  mValue = value;
  SetDirty(true);
}

void IControl::SetMouseTransparent(bool transparent) { mMouseTransparent = transparent; }

bool IControl::IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }

void IControl::SetDirty(bool push)
{
  const double v = mValue;
  const double clamped = std::clamp(v, mClampLo, mClampHi);
  if (clamped != v)
    mValue = clamped;
  mDirty = true;
  if (push && mParamIdx >= 0 && mPlug)
    mPlug->SetParameterFromGUI(mParamIdx, mValue);
}

void IControl::SetClean() { mDirty = false; }

void IControl::TakePendingPush()
{
  if (mPushPending.exchange(false, std::memory_order_relaxed) && mParamIdx >= 0 && mPlug)
    mPlug->EchoParameterToHost(mParamIdx);
}

void IControl::PromptUserInput()
{
  IGraphics* graphics = mGraphics ? mGraphics : (mPlug ? mPlug->GetGUI() : nullptr);
  if (graphics && mParamIdx >= 0)
    graphics->PromptUserInput(this);
}
