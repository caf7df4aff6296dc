// Base of every editor control: a rectangle on the editor, an optional bound
// parameter, a normalised value, and the mouse and key handlers that the
// editor routes to the control under the pointer.
#pragma once

#include "framework/IChannelBlend.h"
#include "framework/IMouseMod.h"
#include "framework/IRECT.h"
#include "framework/IText.h"
#include "framework/RelaxedAtomic.h"

#include <atomic>

class IGraphics;
class IPlugBase;
class LICE_IBitmap;

class IControl
{
public:
  IControl(IPlugBase* plug, IRECT rect, int paramIdx = -1, IChannelBlend blend = IChannelBlend());
  virtual ~IControl();

  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int x, int y, IMouseMod* mod);
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod);
  // True when the press counts as a double click (at most 250 ms after the
  // previous press); otherwise it was handled as a mouse-down.
  virtual bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, double d);
  virtual bool OnKeyDown(int x, int y, int key, IMouseMod* mod);
  virtual void OnMouseOver(int x, int y, IMouseMod* mod);
  virtual void OnMouseOut();

  virtual bool Draw(IGraphics* graphics) = 0;
  // A ready picture of exactly the control's size that the editor shows over
  // the control's rectangle after drawing; none by default.
  virtual LICE_IBitmap* GetGLBitmap();
  // The picture GetGLBitmap last returned, without rendering a new one.
  virtual LICE_IBitmap* GetLastGLBitmap();
  // Whether GetGLBitmap would render a new picture now.
  virtual bool IsGLFramePending() const;
  // Called with the plug-in's state mutex held just before the control is drawn:
  // copies what Draw reads that other threads may change (parameter values),
  // so that Draw itself runs without the lock.
  virtual void PrepareDraw();

  virtual void SetValueFromPlug(double value);
  virtual void SetValueFromUserInput(double value);
  virtual void SetMouseTransparent(bool transparent);
  virtual bool IsHit(int x, int y);
  // Clamps the value and marks the control dirty; with push, a bound
  // control also hands its value to the plug-in as a change from the editor.
  virtual void SetDirty(bool push = true);
  virtual void SetClean();
  // A redraw asked for from any thread, the audio thread included: marks
  // the control dirty now and leaves the push of a bound control to the
  // editor's next sync, where TakePendingPush echoes the parameter's value
  // to the host (at most once per sync, and never from the asking thread).
  void RequestRedraw()
  {
    mDirty = true;
    mPushPending.store(true, std::memory_order_relaxed);
  }
  // On the editor's thread.
  void TakePendingPush();
  // Asks the editor to prompt for the bound parameter's value (a text
  // entry over the control); nothing without a parameter or an editor.
  virtual void PromptUserInput();

  IPlugBase* GetPlug() { return mPlug; }
  int ParamIdx() const { return mParamIdx; }
  double GetValue() const { return mValue; }
  void SetValue(double value) { mValue = value; }
  double GetDefaultValue() const { return mDefaultValue; }
  void SetDefaultValue(double value) { mDefaultValue = value; }
  const IRECT* GetRECT() const { return &mRECT; }
  const IRECT* GetTargetRECT() const { return &mTargetRECT; }
  void SetRECT(const IRECT& r) { mRECT = r; }
  void SetTargetRECT(const IRECT& r) { mTargetRECT = r; }
  IText* GetText() { return &mText; }
  void SetText(const IText& text) { mText = text; }
  IChannelBlend* GetBlend() { return &mBlend; }
  bool IsDirty() const { return mDirty; }
  bool IsHidden() const { return mHide; }
  void Hide(bool hide) { mHide = hide; }
  bool IsGrayed() const { return mGrayed; }
  void GrayOut(bool gray) { mGrayed = gray; }
  bool IsMouseTransparent() const { return mMouseTransparent; }
  double GetLastMouseDownMs() const { return mLastMouseDownMs; }
  // The editor the control is attached to (set when attached).
  IGraphics* GetGraphics() { return mGraphics; }
  void SetGraphics(IGraphics* graphics) { mGraphics = graphics; }

  // The 1-based frame of an N-frame picture that shows value v.
  static int FrameForValue(double v, int nFrames);

  // Milliseconds of a monotonic clock; tests may replace it.
  static double NowMs();
  static void SetClockForTesting(double (*clock)());

protected:
  IPlugBase* mPlug;
  IRECT mRECT, mTargetRECT;
  int mParamIdx;
  // Written on the editor's thread; read by the editor's helpers elsewhere.
  RelaxedAtomic<double> mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLo = 0.0, mClampHi = 1.0;
  IText mText;
  IChannelBlend mBlend;
  double mLastMouseDownMs = -1.0e9;
  RelaxedAtomic<bool> mDirty = true;
  std::atomic<bool> mPushPending{false};
  bool mHide = false;
  bool mGrayed = false;
  bool mMouseTransparent = false;
  IGraphics* mGraphics = nullptr;
};
