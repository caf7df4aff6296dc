// The editor control that shows everything the vector renderer draws. It
// renders with the GL context its process shares (GraphRendererPool) and
// owns a NanoVG context on it and an off-screen framebuffer bitmap, both
// made when it first renders; when marked dirty it renders one frame into
// that bitmap, which the framework then puts over the control's rectangle.
// Other parts draw into the frame through GraphCustomDrawer and receive its
// input events through GraphCustomControl. It may also own curves, axes and
// a spectrogram layer.
#pragma once

#include "framework/IControl.h"
#include "framework/ParamSmoother.h"
#include "framework/RelaxedAtomic.h"
#include "framework/WDL_String.h"
#include "graph/GraphAxis.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class IGraphics;
class IPlugBase;
class LICE_IBitmap;
class LICE_GL_SysBitmap;
class GraphRendererPool;
class GraphCurve4;
class GraphCustomControl;
class GraphCustomDrawer;
class SpectrogramDisplay;
class GraphCurvesLayer;
struct NVGcontext;

class GraphControl10 : public IControl
{
public:
  // graphics is not used: the shared GL context has a window of its own.
  GraphControl10(IPlugBase* plug, IGraphics* graphics, IRECT rect, int paramIdx, int numCurves, int numCurveValues,
                 const char* fontPath);
  ~GraphControl10() override;

  GraphControl10(const GraphControl10&) = delete;
  GraphControl10& operator=(const GraphControl10&) = delete;

  // Clear colour of every frame, components 0..255 (see ReadScreenRGBA for
  // how they show on screen).
  void SetBackgroundColor(int c0, int c1, int c2, int c3);
  void GetSize(int* width, int* height) const;
  // Sizes are rounded toward zero to multiples of 4; the render target is
  // made again at the next frame.
  void Resize(int width, int height);
  void SetSeparatorLine(const int color[4], double width);
  void SetGraphDirty(bool dirty);
  bool IsGraphDirty() const { return mGraphDirty; }
  void AddCustomDrawer(GraphCustomDrawer* drawer);
  void AddCustomControl(GraphCustomControl* control);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, double d) override;
  bool OnKeyDown(int x, int y, int key, IMouseMod* mod) override;
  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;

  // Draws nothing into the framework's surface; the picture comes from
  // GetGLBitmap.
  bool Draw(IGraphics* graphics) override;
  // Renders a frame when the graph is dirty and returns the render target
  // (its pixels already read back); null without a usable GL context,
  // renderer or picture. The drawers copy what they draw first
  // (PrepareFrame) without waiting for the audio thread, which never waits
  // for drawing either.
  LICE_IBitmap* GetGLBitmap() override;
  LICE_IBitmap* GetLastGLBitmap() override;
  bool IsGLFramePending() const override { return mGraphDirty; }

  // The current picture as the user sees it: width * height * 4 bytes,
  // top row first, bytes red, green, blue, alpha. Renders first when the
  // graph is dirty. False (and rgba untouched) when there is no picture.
  bool ReadScreenRGBA(uint8_t* rgba);
  // The same into a buffer of width x height pixels; false (and rgba
  // untouched) unless the picture has exactly that size.
  bool ReadScreenRGBA(uint8_t* rgba, int width, int height);

  // --- Plotting layers (the editor's graph uses none of them) ---
  int GetNumCurves() const { return mNumCurves; }
  GraphCurve4* GetCurve(int idx) { return idx >= 0 && idx < mNumCurves ? mCurves[idx] : nullptr; }
  // Takes ownership; replaces and deletes any previous axis.
  void SetHorizontalAxis(GraphAxis* axis);
  void SetVerticalAxis(GraphAxis* axis);
  GraphAxis* GetHorizontalAxis() { return mHAxis; }
  GraphAxis* GetVerticalAxis() { return mVAxis; }
  // Takes ownership of the layer (deleted with the graph, context current).
  void SetSpectrogramDisplay(SpectrogramDisplay* display);
  // Not owned; the picture is drawn upright behind everything else.
  void SetBackgroundBitmap(LICE_IBitmap* bitmap);
  void SetBounds(double x0, double y0, double x1, double y1);
  void SetXScale(bool logScale, double xMin, double xMax);
  void SetAutoAdjust(bool autoAdjust) { mAutoAdjust = autoAdjust; }
  double GetAutoAdjustFactor() const { return mAutoAdjustFactor; }
  // One step of the auto-adjust factor toward 0.75 / the highest y of all
  // curves (1.0 when none is positive); every frame runs it when auto-adjust
  // is on. Marks the graph dirty.
  void UpdateAutoAdjust();

  // --- For tests, benchmarks and drawers ---
  // Frames rendered since construction, and of those requested the ones
  // that drew exactly what the picture already showed (no GL work, no
  // read-back).
  int GetNumRenderedFrames() const { return mNumRenderedFrames; }
  int GetNumRepeatedFrames() const { return mNumRepeatedFrames; }
  // Time spent in the stages of the frames rendered so far, in ms: the
  // drawers' copies, the drawing commands and their comparison with the
  // last frame's, GL executing them (to glFinish), and copying the picture
  // out.
  struct StageTimes
  {
    double buildMs = 0.0, glMs = 0.0, readBackMs = 0.0;
  };
  const StageTimes& GetStageTimes() const { return mStageTimes; }
  // Whether frames can be rendered; makes the renderer on first use (so
  // does every call that renders or binds).
  bool HasRenderer() { return EnsureRenderer(); }
  // The renderer, or null; only valid with the GL context bound.
  NVGcontext* GetRenderer() { return mVg; }
  // Makes the GL context current (false without one) / flushes and releases it.
  bool BindContext();
  void UnbindContext();

  // Renderer y of the legend line of the k-th named curve (from 0).
  static double LegendY(int k, int height) { return height - (k * 12 + 10); }
  // Text in renderer coordinates with the graph's colour convention.
  static void DrawText(NVGcontext* vg, const char* text, const int color[4], int hAlign, int vAlign, double x,
                       double y, double size);

private:
  // The renderer and its font, made by the first call that needs them and
  // tried once: an instance whose editor never draws has none.
  bool EnsureRenderer();
  // Builds the frame's drawing commands (the drawers have copied their data
  // first); false when there is no render target.
  bool RenderFrame();
  void StepAutoAdjust();
  // Has GL execute the built frame and copies the picture back, unless the
  // frame repeats the picture already there.
  void FinishFrame();
  // The background picture becomes a renderer image once, on first use.
  void UploadBackgroundImage();
  void DrawBackgroundImage(int width, int height);
  // Both axes' grid lines, or their labels.
  void DrawAxes(bool labelsPass, int width, int height);
  GraphAxis::Mapping AxisMapping(bool horizontal) const;
  void DrawSeparator(int width);
  void DeleteGLBitmap();

  double mX0 = 0.0, mY0 = 0.0, mX1 = 1.0, mY1 = 1.0;
  int mNumCurveValues;
  int mNumCurves;
  std::vector<GraphCurve4*> mCurves;
  bool mAutoAdjust = false;
  ParamSmoother mAutoAdjustSmoother;
  double mAutoAdjustFactor = 1.0;
  float mBackgroundColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  NVGcontext* mVg = nullptr;
  // Set by the audio thread's redraw requests.
  // Released by whoever marks it (the audio thread with a new history line)
  // and acquired by the frame, which then sees what the mark announced.
  std::atomic<bool> mGraphDirty = true;
  bool mSeparatorEnabled = false;
  double mSeparatorWidth = 1.0;
  int mSeparatorColor[4] = {0, 0, 0, 0};
  bool mXLogScale = false;
  double mXMin = 0.0, mXMax = 1.0;
  GraphAxis* mHAxis = nullptr;
  GraphAxis* mVAxis = nullptr;
  WDL_String mFontPath;
  SpectrogramDisplay* mSpectrogramDisplay = nullptr;
  std::vector<GraphCustomDrawer*> mCustomDrawers;
  std::vector<GraphCustomControl*> mCustomControls;
  LICE_IBitmap* mBackgroundBitmap = nullptr;
  int mBackgroundImage = 0;
  std::unique_ptr<GraphCurvesLayer> mCurvesLayer;
  bool mFontLoaded = false;
  bool mRendererTried = false;
  // The font's bytes, shared by the process; the renderer reads them.
  std::shared_ptr<const std::vector<unsigned char>> mFontData;
  LICE_GL_SysBitmap* mGLBitmap = nullptr;
  std::shared_ptr<GraphRendererPool> mPool;
  int mNumRenderedFrames = 0;
  int mNumRepeatedFrames = 0;
  // Whether the render target holds a drawn frame, and its clear colour.
  bool mPictureDrawn = false;
  uint32_t mPictureClear = 0;
  StageTimes mStageTimes;
};
