// The 3-D view: turns each spectrum's magnitudes into a line of points on a
// mel-scaled frequency axis for its drawer (LinesRender, owned), forwards the
// view parameters to the drawer, and moves the camera from the graph
// control's mouse events, writing the camera back to the plug-in.
//
// Threads: AddMagns runs on the audio thread and the setters in the
// parameter-change handler, both under the plug-in mutex; the mouse and key
// handlers run on the user-interface thread without it. Values shared
// between those (camera angles, mirror flag) are atomics; frameCount and the
// scratch buffers belong to AddMagns alone.
#pragma once

#include "framework/IKeyCodes.h"
#include "framework/WDL_TypedBuf.h"
#include "graph/GraphCustomControl.h"
#include "view3d/Point3D.h"

#include <atomic>
#include <cstdint>
#include <vector>

class CameraListener;
class GraphControl10;
class LinesRender;

class CrestRender : public GraphCustomControl
{
public:
  // plug and graph may be null: the view then neither writes back nor asks
  // for frames.
  CrestRender(CameraListener* plug, GraphControl10* graph, double sampleRate);
  // Deletes the drawer; the graph control is not told.
  ~CrestRender() override;

  CrestRender(const CrestRender&) = delete;
  CrestRender& operator=(const CrestRender&) = delete;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, double d) override;
  bool OnKeyDown(int x, int y, int key, IMouseMod* mod) override;
  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;

  // One spectrum of linear magnitudes; audio thread, plug-in mutex held.
  // Allocation-free once a spectrum of the same size has been seen.
  virtual void AddMagns(const WDL_TypedBuf<double>& magns);
  virtual void SetMode(int mode);
  virtual void SetSpeed(double speed);
  virtual void SetDensity(double density);
  virtual void SetScale(double scale);

  // Degrees, not clamped, not written back.
  void SetAngle0(double angle);
  void SetAngle1(double angle);
  void SetCamFov(double fov);

  uint64_t GetFrameCount() const { return mFrameCount; }
  LinesRender* GetLines() { return mLines; }
  double GetAngle0() const { return mAngle0.load(std::memory_order_relaxed); }
  double GetAngle1() const { return mAngle1.load(std::memory_order_relaxed); }
  bool GetMirrorMode() const { return mMirrorMode.load(std::memory_order_relaxed); }
  double GetSampleRate() const { return mSampleRate; }

  // The letters typed over the view that toggle the mirrored display.
  static constexpr const char* kMirrorCode = "quenz";
  // Framework key code of a letter key plus this is the lowercase letter.
  static constexpr int kKeyToLowercase = 'a' - kKeyAlphaA;

  // --- The spectrum-to-line maths, free of state ---

  // in resampled onto a mel-scaled axis of as many values; out is resized.
  static void MelWarp(const WDL_TypedBuf<double>& in, double hzPerValue, WDL_TypedBuf<double>* out);
  // The low 40 % of v shown twice, stretched and mirrored, the seam swinging
  // with frameCount; a, b and scratch are working buffers.
  static void MirrorMagns(WDL_TypedBuf<double>* v, uint64_t frameCount, double sampleRate, WDL_TypedBuf<double>* a,
                          WDL_TypedBuf<double>* b, WDL_TypedBuf<double>* scratch);
  // buf linearly resampled to m values, its last value kept at the end;
  // scratch is a working buffer. Nothing happens for an empty buf or m <= 0.
  static void ResampleLinear(WDL_TypedBuf<double>* buf, int m, WDL_TypedBuf<double>* scratch);

  // The line of points for magns as the history receives it.
  void MagnsToPoints(const WDL_TypedBuf<double>& magns, std::vector<Point3D>* points);

private:
  void RequestRedraw();
  void ZoomWith(double d);
  // MelWarp through source positions computed once per size and spacing.
  void MelWarpCached(const WDL_TypedBuf<double>& in, double hzPerValue, WDL_TypedBuf<double>* out);

  CameraListener* mPlug;
  GraphControl10* mGraph;
  LinesRender* mLines;
  int mPrevX = 0;
  int mPrevY = 0;
  bool mDragStarted = false;
  std::atomic<double> mAngle0{0.0};
  std::atomic<double> mAngle1{15.0};
  double mSampleRate;
  uint64_t mFrameCount = 0;
  std::atomic<bool> mMirrorMode{false};
  int mCodePos = 0;

  // AddMagns's working buffers, kept between calls so that it does not allocate.
  WDL_TypedBuf<double> mWarped;
  WDL_TypedBuf<double> mMirrorA;
  WDL_TypedBuf<double> mMirrorB;
  WDL_TypedBuf<double> mResampleScratch;
  // MelWarp's interpolation for mMelSize values at mMelHz: indices i0, i1
  // (i0 < 0: the value stays 0) and weight of i1.
  int mMelSize = -1;
  double mMelHz = 0.0;
  WDL_TypedBuf<int> mMelI0;
  WDL_TypedBuf<int> mMelI1;
  WDL_TypedBuf<double> mMelT;
};
