#include "graph/GraphControl10.h"

#include "framework/IPlugBase.h"
#include "framework/IResources.h"
#include "graph/GLContext3.h"
#include "graph/GraphAxesLayer.h"
#include "graph/GraphAxis.h"
#include "graph/GraphColors.h"
#include "graph/GraphCurve4.h"
#include "graph/GraphCurvesLayer.h"
#include "graph/GraphCustomControl.h"
#include "graph/GraphCustomDrawer.h"
#include "graph/GraphLegendLayer.h"
#include "graph/GraphRendererPool.h"
#include "graph/LICE_GL_SysBitmap.h"
#include "graph/NanoVGExt.h"
#include "graph/SpectrogramDisplay.h"

#include <GL/glew.h>
// Declarations only (the creation flags); the back end is in NanoVGExt.cpp.
#include "nanovg_gl.h"

#include <algorithm>
#include <vector>

GraphControl10::GraphControl10(IPlugBase* plug, IGraphics* /*graphics*/, IRECT rect, int paramIdx, int numCurves,
                               int numCurveValues, const char* fontPath)
  : IControl(plug, rect, paramIdx, IChannelBlend(IChannelBlend::kBlendNone, 1.0f)), mNumCurveValues(numCurveValues),
    mNumCurves(numCurves > 0 ? numCurves : 0), mAutoAdjustSmoother(10, 1.0, 0.9)
{
  for (int i = 0; i < mNumCurves; i++)
    mCurves.push_back(new GraphCurve4(mNumCurveValues));

  mDirty = true;
  mGraphDirty = true;
  mFontPath.Set(fontPath);
  // Taken now, not at the first frame: the first graph of a process sets up
  // the GL driver, which the editor's opening should not wait for.
  mPool = GraphRendererPool::Get(mFontPath.Get());
}

bool GraphControl10::EnsureRenderer()
{
  if (mRendererTried)
    return mVg != nullptr;
  mRendererTried = true;
  if (mPool->Context().Bind())
  {
    mVg = mPool->TakeRenderer(mFontPath.Get());
    if (mVg != nullptr)
    {
      // One copy of the font's bytes serves every graph of the process (a
      // renderer from the pool may have the font already).
      mFontData = mFontPath.GetLength() > 0 ? IResources::SharedFile(mFontPath.Get()) : nullptr;
      mFontLoaded = nvgFindFont(mVg, "font") >= 0;
      if (!mFontLoaded && mFontData && !mFontData->empty())
        mFontLoaded = nvgCreateFontMem(mVg, "font", const_cast<unsigned char*>(mFontData->data()),
                                       static_cast<int>(mFontData->size()), 0) >= 0;
      mCurvesLayer = std::make_unique<GraphCurvesLayer>(mVg);
    }
    mPool->Context().Unbind();
  }
  return mVg != nullptr;
}

GraphControl10::~GraphControl10()
{
  for (GraphCurve4* curve : mCurves)
    delete curve;
  mCurves.clear();
  delete mHAxis;
  delete mVAxis;
  mHAxis = mVAxis = nullptr;

  const bool bound = mPool->Context().Bind();
  delete mSpectrogramDisplay;
  mSpectrogramDisplay = nullptr;
  if (bound && mBackgroundImage != 0 && mVg != nullptr)
    nvgDeleteImage(mVg, mBackgroundImage);
  if (bound && mVg != nullptr)
  {
    nvgDeleteGL2Ext(mVg);
    mVg = nullptr;
  }
  delete mGLBitmap;
  mGLBitmap = nullptr;
  if (bound)
    mPool->Context().Unbind();
  mPool.reset();
}

// --- Owner operations ---

void GraphControl10::SetBackgroundColor(int c0, int c1, int c2, int c3)
{
  const int c[4] = {c0, c1, c2, c3};
  for (int i = 0; i < 4; i++)
    mBackgroundColor[i] = static_cast<float>(c[i]) / 255.0f;
  mDirty = true;
  mGraphDirty = true;
}

void GraphControl10::GetSize(int* width, int* height) const
{
  if (width)
    *width = mRECT.W();
  if (height)
    *height = mRECT.H();
}

void GraphControl10::Resize(int width, int height)
{
  // Toward zero, as the integer division does: 7 -> 4, -5 -> -4.
  const int w = width / 4 * 4;
  const int h = height / 4 * 4;
  const int oldWidth = mRECT.W();
  mRECT.R = mRECT.L + w;
  mRECT.B = mRECT.T + h;
  mTargetRECT = mRECT;
  if (mVAxis != nullptr)
    mVAxis->mLabelX -= oldWidth - w;
  DeleteGLBitmap();
  mGraphDirty = true;
}

void GraphControl10::SetSeparatorLine(const int color[4], double width)
{
  mSeparatorEnabled = true;
  for (int i = 0; i < 4; i++)
    mSeparatorColor[i] = color[i];
  mSeparatorWidth = width;
  mGraphDirty = true;
}

void GraphControl10::SetGraphDirty(bool dirty) { mGraphDirty.store(dirty, std::memory_order_release); }

void GraphControl10::AddCustomDrawer(GraphCustomDrawer* drawer)
{
  mCustomDrawers.push_back(drawer);
  mGraphDirty = true;
}

void GraphControl10::AddCustomControl(GraphCustomControl* control) { mCustomControls.push_back(control); }

void GraphControl10::SetHorizontalAxis(GraphAxis* axis)
{
  if (axis != mHAxis)
    delete mHAxis;
  mHAxis = axis;
  mGraphDirty = true;
}

void GraphControl10::SetVerticalAxis(GraphAxis* axis)
{
  if (axis != mVAxis)
    delete mVAxis;
  mVAxis = axis;
  mGraphDirty = true;
}

void GraphControl10::SetSpectrogramDisplay(SpectrogramDisplay* display)
{
  if (display != mSpectrogramDisplay)
  {
    const bool bound = mPool->Context().Bind();
    delete mSpectrogramDisplay;
    if (bound)
      mPool->Context().Unbind();
  }
  mSpectrogramDisplay = display;
  mGraphDirty = true;
}

void GraphControl10::SetBackgroundBitmap(LICE_IBitmap* bitmap)
{
  if (bitmap == mBackgroundBitmap)
    return;
  if (mBackgroundImage != 0 && mVg != nullptr && mPool->Context().Bind())
  {
    nvgDeleteImage(mVg, mBackgroundImage);
    mPool->Context().Unbind();
  }
  mBackgroundImage = 0;
  mBackgroundBitmap = bitmap;
  mGraphDirty = true;
}

void GraphControl10::SetBounds(double x0, double y0, double x1, double y1)
{
  mX0 = x0, mY0 = y0, mX1 = x1, mY1 = y1;
  mGraphDirty = true;
}

void GraphControl10::SetXScale(bool logScale, double xMin, double xMax)
{
  mXLogScale = logScale;
  mXMin = xMin;
  mXMax = xMax;
  mGraphDirty = true;
}

bool GraphControl10::BindContext() { return EnsureRenderer() && mPool->Context().Bind(); }

void GraphControl10::UnbindContext() { mPool->Context().Unbind(); }

void GraphControl10::DeleteGLBitmap()
{
  if (mGLBitmap == nullptr)
    return;
  // Its framebuffer belongs to our context.
  const bool bound = BindContext();
  delete mGLBitmap;
  mGLBitmap = nullptr;
  if (bound)
    UnbindContext();
}

// --- Frames ---

bool GraphControl10::Draw(IGraphics*) { return true; }

LICE_IBitmap* GraphControl10::GetGLBitmap()
{
  if (!EnsureRenderer())
    return nullptr;
  // Taken before the frame copies its data: a request arriving meanwhile
  // brings the next frame.
  const bool dirty = mGraphDirty.exchange(false, std::memory_order_acquire);
  const double start = dirty ? NowMs() : 0.0;
  // The drawers copy what the frame shows before the GL context is bound
  // (binding takes a lock of its own); their copies wait for nobody.
  if (dirty)
    for (GraphCustomDrawer* drawer : mCustomDrawers)
      drawer->PrepareFrame(mRECT.W(), mRECT.H());
  if (!BindContext())
    return nullptr;
  if (dirty && RenderFrame())
  {
    mStageTimes.buildMs += NowMs() - start;
    FinishFrame();
  }
  UnbindContext();
  return GetLastGLBitmap();
}

LICE_IBitmap* GraphControl10::GetLastGLBitmap()
{
  return mGLBitmap != nullptr && mGLBitmap->IsValid() ? mGLBitmap : nullptr;
}

// The frame up to its last drawing command, in the fixed layer order; the
// end of the frame (GL execution) follows in FinishFrame.
bool GraphControl10::RenderFrame()
{
  const int width = mRECT.W(), height = mRECT.H();
  // The layer's data is the editor thread's own.
  if (mSpectrogramDisplay != nullptr && mSpectrogramDisplay->Update())
    mDirty = true;
  UploadBackgroundImage();

  if (mGLBitmap == nullptr)
  {
    mGLBitmap = new LICE_GL_SysBitmap(width, height);
    mPictureDrawn = false;
  }
  if (!mGLBitmap->IsValid())
    return false;

  // Cleared when the frame turns out to be new (FinishFrame).
  nvgBeginFrame(mVg, static_cast<float>(width), static_cast<float>(height), 1.0f);
  DrawBackgroundImage(width, height);

  if (mAutoAdjust)
    StepAutoAdjust();

  for (GraphCustomDrawer* drawer : mCustomDrawers)
    drawer->PreDraw(mVg, width, height);

  if (mSpectrogramDisplay != nullptr)
    mSpectrogramDisplay->Draw(width, height);

  DrawAxes(false, width, height);

  nvgSave(mVg);
  mCurvesLayer->Draw(mCurves, width, height);
  nvgRestore(mVg);

  if (mSpectrogramDisplay != nullptr)
    mSpectrogramDisplay->DrawOverlay(width, height);

  DrawAxes(true, width, height);

  GraphLegendLayer::Draw(mVg, mCurves, height);

  for (GraphCustomDrawer* drawer : mCustomDrawers)
    drawer->PostDraw(mVg, width, height);

  DrawSeparator(width);
  return true;
}

void GraphControl10::UploadBackgroundImage()
{
  if (mBackgroundBitmap == nullptr || mBackgroundImage != 0 || mBackgroundBitmap->getBits() == nullptr)
    return;
  const int bw = mBackgroundBitmap->getWidth(), bh = mBackgroundBitmap->getHeight();
  const int span = mBackgroundBitmap->getRowSpan();
  std::vector<LICE_pixel> packed;
  const LICE_pixel* bits = mBackgroundBitmap->getBits();
  if (span != bw)
  {
    packed.resize(static_cast<size_t>(bw) * bh);
    for (int y = 0; y < bh; y++)
      std::copy(bits + static_cast<size_t>(y) * span, bits + static_cast<size_t>(y) * span + bw,
                packed.begin() + static_cast<ptrdiff_t>(y) * bw);
    bits = packed.data();
  }
  mBackgroundImage = nvgCreateImageRGBA(mVg, bw, bh, NVG_IMAGE_NEAREST, reinterpret_cast<const unsigned char*>(bits));
}

void GraphControl10::DrawBackgroundImage(int width, int height)
{
  if (mBackgroundImage == 0)
    return;
  // Flipped in renderer coordinates, so it shows upright.
  nvgSave(mVg);
  const NVGpaint pattern = nvgImagePattern(mVg, 0.0f, static_cast<float>(height), static_cast<float>(width),
                                           -static_cast<float>(height), 0.0f, mBackgroundImage, 1.0f);
  nvgBeginPath(mVg);
  nvgRect(mVg, 0.0f, static_cast<float>(height), static_cast<float>(width), -static_cast<float>(height));
  nvgFillPaint(mVg, pattern);
  nvgFill(mVg);
  nvgRestore(mVg);
}

void GraphControl10::DrawSeparator(int width)
{
  if (!mSeparatorEnabled)
    return;
  const float y = static_cast<float>(mSeparatorWidth * 0.5);
  nvgSave(mVg);
  nvgStrokeWidth(mVg, static_cast<float>(mSeparatorWidth));
  nvgStrokeColor(mVg, GraphColor(mSeparatorColor));
  nvgBeginPath(mVg);
  nvgMoveTo(mVg, 0.0f, y);
  nvgLineTo(mVg, static_cast<float>(width), y);
  nvgStroke(mVg);
  nvgRestore(mVg);
}

void GraphControl10::FinishFrame()
{
  LICE_pixel clear = 0;
  for (int i = 0; i < 4; i++)
    clear |= static_cast<LICE_pixel>(static_cast<int>(mBackgroundColor[i] * 255.0f) & 255) << (8 * i);
  // The same commands on the same clear: the picture already there (and
  // read back) is this frame's, so GL need not draw it again.
  const double compared = NowMs();
  const bool repeats = nvgFrameRepeatsLast(mVg);
  mStageTimes.buildMs += NowMs() - compared;
  if (repeats && mPictureDrawn && clear == mPictureClear)
  {
    nvgCancelFrame(mVg);
    ++mNumRepeatedFrames;
    return;
  }
  // Leaves the bitmap's framebuffer bound for the drawing.
  mGLBitmap->clear(clear);
  mPictureClear = clear;
  mPictureDrawn = true;
  const double start = NowMs();
  nvgEndFrame(mVg);
  // The read-back would wait for the same; finishing first tells GL's
  // share from the copy's.
  glFinish();
  const double executed = NowMs();
  mGLBitmap->ReadBack();
  mStageTimes.glMs += executed - start;
  mStageTimes.readBackMs += NowMs() - executed;
  ++mNumRenderedFrames;
}

bool GraphControl10::ReadScreenRGBA(uint8_t* rgba)
{
  LICE_IBitmap* bitmap = rgba != nullptr ? GetGLBitmap() : nullptr;
  return bitmap != nullptr && ReadScreenRGBA(rgba, bitmap->getWidth(), bitmap->getHeight());
}

bool GraphControl10::ReadScreenRGBA(uint8_t* rgba, int w, int h)
{
  if (rgba == nullptr)
    return false;
  LICE_IBitmap* bitmap = GetGLBitmap();
  if (bitmap == nullptr || bitmap->getBits() == nullptr || bitmap->getWidth() != w || bitmap->getHeight() != h)
    return false;
  const int span = bitmap->getRowSpan();
  const LICE_pixel* bits = bitmap->getBits();
  for (int y = 0; y < h; y++)
  {
    for (int x = 0; x < w; x++)
    {
      const LICE_pixel p = bits[static_cast<size_t>(y) * span + x];
      uint8_t* out = rgba + (static_cast<size_t>(y) * w + x) * 4;
      out[0] = static_cast<uint8_t>((p >> 16) & 255);
      out[1] = static_cast<uint8_t>((p >> 8) & 255);
      out[2] = static_cast<uint8_t>(p & 255);
      out[3] = static_cast<uint8_t>((p >> 24) & 255);
    }
  }
  return true;
}

// --- Plotting layers ---

void GraphControl10::DrawText(NVGcontext* vg, const char* text, const int color[4], int hAlign, int vAlign, double x,
                              double y, double size)
{
  if (vg == nullptr || text == nullptr)
    return;
  nvgSave(vg);
  nvgFontSize(vg, static_cast<float>(size));
  nvgFontFace(vg, "font");
  nvgFontBlur(vg, 0.0f);
  nvgTextAlign(vg, hAlign | vAlign);
  nvgFillColor(vg, GraphColor(color));
  nvgText(vg, static_cast<float>(x), static_cast<float>(y), text, nullptr);
  nvgRestore(vg);
}

void GraphControl10::UpdateAutoAdjust()
{
  StepAutoAdjust();
  mGraphDirty = true;
}

void GraphControl10::StepAutoAdjust()
{
  // Undefined points (1e16) take part, as they always have.
  double highest = -1e16;
  for (const GraphCurve4* curve : mCurves)
    for (int i = 0; i < curve->mYValues.GetSize(); i++)
      highest = std::max(highest, curve->mYValues[i]);
  const double factor = highest > 0.0 ? 0.75 / highest : 1.0;
  mAutoAdjustSmoother.SetTargetValue(factor);
  mAutoAdjustSmoother.Update();
  mAutoAdjustFactor = mAutoAdjustSmoother.GetCurrentValue();
}

GraphAxis::Mapping GraphControl10::AxisMapping(bool horizontal) const
{
  GraphAxis::Mapping mapping;
  if (horizontal)
  {
    mapping.logScale = mXLogScale;
    mapping.lo = mXMin;
    mapping.hi = mXMax;
  }
  else
  {
    const GraphCurve4* first = mCurves.empty() ? nullptr : mCurves[0];
    mapping.logScale = first != nullptr && first->mYLogScale;
    if (first != nullptr)
    {
      mapping.lo = first->mMinY;
      mapping.hi = first->mMaxY;
    }
    mapping.y0 = mY0;
    mapping.y1 = mY1;
  }
  return mapping;
}

void GraphControl10::DrawAxes(bool labelsPass, int width, int height)
{
  GraphAxesLayer::Draw(mVg, mHAxis, AxisMapping(true), true, labelsPass, width, height);
  GraphAxesLayer::Draw(mVg, mVAxis, AxisMapping(false), false, labelsPass, width, height);
}
