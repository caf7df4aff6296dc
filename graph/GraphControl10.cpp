#include "graph/GraphControl10.h"

#include "framework/IPlugBase.h"
#include "framework/WDL_Mutex.h"
#include "graph/GLContext3.h"
#include "graph/GraphAxis.h"
#include "graph/GraphCurve4.h"
#include "graph/GraphCustomControl.h"
#include "graph/GraphCustomDrawer.h"
#include "graph/GraphRendererFlags.h"
#include "graph/LICE_GL_SysBitmap.h"
#include "graph/NanoVGExt.h"
#include "graph/SpectrogramDisplay.h"

#include <GL/glew.h>
// Declarations only (the creation flags); the back end is in NanoVGExt.cpp.
#include "nanovg_gl.h"

#include <algorithm>
#include <vector>

namespace
{
constexpr int kRendererFlags = kGraphRendererFlags;

// The graph's colours c0..c3 go to the renderer as (c2, c1, c0, c3): the
// read-back shows renderer red as blue, so they show as given.
NVGcolor GraphColor(const int c[4]) { return nvgRGBA(c[2] & 255, c[1] & 255, c[0] & 255, c[3] & 255); }

// Colours already in renderer order.
NVGcolor RendererColor(const int c[4]) { return nvgRGBA(c[0], c[1], c[2], c[3]); }

WDL_Mutex* PlugMutex(IPlugBase* plug) { return plug ? &plug->GetMutex() : nullptr; }

void FillQuad(NVGcontext* vg, const GraphCurve4::Quad& q)
{
  nvgBeginPath(vg);
  nvgMoveTo(vg, static_cast<float>(q[0]), static_cast<float>(q[1]));
  for (int i = 1; i < 4; i++)
    nvgLineTo(vg, static_cast<float>(q[2 * i]), static_cast<float>(q[2 * i + 1]));
  nvgLineTo(vg, static_cast<float>(q[0]), static_cast<float>(q[1]));
  nvgFill(vg);
}
} // namespace

GraphControl10::GraphControl10(IPlugBase* plug, IGraphics* graphics, IRECT rect, int paramIdx, int numCurves,
                               int numCurveValues, const char* fontPath)
  : IControl(plug, rect, paramIdx, IChannelBlend(IChannelBlend::kBlendNone, 1.0f)),
    mNumCurveValues(numCurveValues), mNumCurves(numCurves > 0 ? numCurves : 0), mAutoAdjustSmoother(10, 1.0, 0.9)
{
  for (int i = 0; i < mNumCurves; i++)
    mCurves.push_back(new GraphCurve4(mNumCurveValues));

  mDirty = true;
  mGraphDirty = true;
  mFontPath.Set(fontPath);

  mGLContext = new GLContext3("QX-Crest", graphics);
  if (mGLContext->Bind())
  {
    mVg = nvgCreateGL2Ext(kRendererFlags);
    if (mVg != nullptr)
      mFontLoaded = nvgCreateFont(mVg, "font", mFontPath.Get()) >= 0;
    mGLContext->Unbind();
  }
}

GraphControl10::~GraphControl10()
{
  for (GraphCurve4* curve : mCurves)
    delete curve;
  mCurves.clear();
  delete mHAxis;
  delete mVAxis;
  mHAxis = mVAxis = nullptr;

  const bool bound = mGLContext != nullptr && mGLContext->Bind();
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
    mGLContext->Unbind();
  delete mGLContext;
  mGLContext = nullptr;
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

void GraphControl10::SetGraphDirty(bool dirty) { mGraphDirty = dirty; }

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
    const bool bound = mGLContext != nullptr && mGLContext->Bind();
    delete mSpectrogramDisplay;
    if (bound)
      mGLContext->Unbind();
  }
  mSpectrogramDisplay = display;
  mGraphDirty = true;
}

void GraphControl10::SetBackgroundBitmap(LICE_IBitmap* bitmap)
{
  if (bitmap == mBackgroundBitmap)
    return;
  if (mBackgroundImage != 0 && mVg != nullptr && mGLContext->Bind())
  {
    nvgDeleteImage(mVg, mBackgroundImage);
    mGLContext->Unbind();
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

bool GraphControl10::BindContext() { return mGLContext != nullptr && mGLContext->Bind(); }

void GraphControl10::UnbindContext()
{
  if (mGLContext != nullptr)
    mGLContext->Unbind();
}

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

// --- Events: the framework's handling where it has one, then every custom
// control in insertion order, coordinates unchanged ---

void GraphControl10::OnMouseDown(int x, int y, IMouseMod* mod)
{
  IControl::OnMouseDown(x, y, mod);
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseDown(x, y, mod);
}

void GraphControl10::OnMouseUp(int x, int y, IMouseMod* mod)
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseUp(x, y, mod);
}

void GraphControl10::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod)
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseDrag(x, y, dX, dY, mod);
}

bool GraphControl10::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  // A press too late for a double click was a mouse-down: the framework's
  // handling has already passed it on through our OnMouseDown.
  if (!IControl::OnMouseDblClick(x, y, mod))
    return false;
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseDblClick(x, y, mod);
  return true;
}

void GraphControl10::OnMouseWheel(int x, int y, IMouseMod* mod, double d)
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseWheel(x, y, mod, d);
}

bool GraphControl10::OnKeyDown(int x, int y, int key, IMouseMod* mod)
{
  bool result = false;
  for (GraphCustomControl* c : mCustomControls)
    result = c->OnKeyDown(x, y, key, mod);
  return result;
}

void GraphControl10::OnMouseOver(int x, int y, IMouseMod* mod)
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseOver(x, y, mod);
}

void GraphControl10::OnMouseOut()
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseOut();
}

// --- Frames ---

bool GraphControl10::Draw(IGraphics*) { return true; }

LICE_IBitmap* GraphControl10::GetGLBitmap()
{
  if (mVg == nullptr)
    return nullptr;
  // Taken before the frame copies its data: a request arriving meanwhile
  // brings the next frame.
  const bool dirty = mGraphDirty.exchange(false);
  if (dirty)
  {
    // The only part of the frame under the plug-in mutex: the copying,
    // before the GL context is bound (binding takes a lock of its own).
    WDL_MutexLock lock(PlugMutex(mPlug));
    for (GraphCustomDrawer* drawer : mCustomDrawers)
      drawer->PrepareFrame(mRECT.W(), mRECT.H());
  }
  if (!BindContext())
    return nullptr;
  if (dirty && RenderFrame())
    FinishFrame();
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

  if (mBackgroundBitmap != nullptr && mBackgroundImage == 0 && mBackgroundBitmap->getBits() != nullptr)
  {
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

  if (mGLBitmap == nullptr)
    mGLBitmap = new LICE_GL_SysBitmap(width, height);
  if (!mGLBitmap->IsValid())
    return false;

  LICE_pixel clear = 0;
  for (int i = 0; i < 4; i++)
    clear |= static_cast<LICE_pixel>(static_cast<int>(mBackgroundColor[i] * 255.0f) & 255) << (8 * i);
  mGLBitmap->clear(clear);

  nvgBeginFrame(mVg, static_cast<float>(width), static_cast<float>(height), 1.0f);

  if (mBackgroundImage != 0)
  {
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

  if (mAutoAdjust)
    StepAutoAdjust();

  for (GraphCustomDrawer* drawer : mCustomDrawers)
    drawer->PreDraw(mVg, width, height);

  if (mSpectrogramDisplay != nullptr)
    mSpectrogramDisplay->Draw(width, height);

  DrawAxis(mHAxis, true, false, width, height);
  DrawAxis(mVAxis, false, false, width, height);

  nvgSave(mVg);
  DrawCurves(width, height);
  nvgRestore(mVg);

  if (mSpectrogramDisplay != nullptr)
    mSpectrogramDisplay->DrawOverlay(width, height);

  DrawAxis(mHAxis, true, true, width, height);
  DrawAxis(mVAxis, false, true, width, height);

  DrawLegend(width, height);

  for (GraphCustomDrawer* drawer : mCustomDrawers)
    drawer->PostDraw(mVg, width, height);

  if (mSeparatorEnabled)
  {
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
  return true;
}

void GraphControl10::FinishFrame()
{
  // Draws into the bitmap's framebuffer, which clear left bound.
  mGLBitmap->BindFramebuffer();
  nvgEndFrame(mVg);
  mGLBitmap->ReadBack();
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

int GraphControl10::GetWhiteImage()
{
  if (mWhiteImage < 0)
  {
    const unsigned char white[4] = {255, 255, 255, 255};
    mWhiteImage = nvgCreateImageRGBA(mVg, 1, 1, NVG_IMAGE_NEAREST, white);
  }
  return mWhiteImage;
}

void GraphControl10::ApplyCurveStyle(const GraphCurve4* curve, double alpha)
{
  int stroke[4], fill[4];
  curve->GetStyleColors(alpha, stroke, fill);
  nvgStrokeWidth(mVg, static_cast<float>(curve->mLineWidth));
  nvgStrokeColor(mVg, RendererColor(stroke));
  nvgFillColor(mVg, RendererColor(fill));
}

void GraphControl10::DrawCurves(int width, int height)
{
  for (const GraphCurve4* curve : mCurves)
  {
    const int nx = curve->mXValues.GetSize(), ny = curve->mYValues.GetSize();
    if (curve->mSingleValueH)
    {
      if (ny >= 1 && curve->mYValues[0] != GraphCurve4::kUndefined)
        DrawSingleValue(curve, true, width, height);
    }
    else if (curve->mSingleValueV)
    {
      if (nx >= 1 && ny >= 1 && curve->mYValues[0] != GraphCurve4::kUndefined)
        DrawSingleValue(curve, false, width, height);
    }
    else if (curve->mPointsMode)
      DrawCurvePoints(curve, width);
    else
    {
      if (curve->mFill)
        DrawCurveFill(curve, height);
      DrawCurveLine(curve);
    }
  }
}

void GraphControl10::DrawCurveLine(const GraphCurve4* curve)
{
  nvgSave(mVg);
  ApplyCurveStyle(curve, curve->mAlpha);
  nvgBeginPath(mVg);
  bool first = true;
  const int n = std::min(curve->mXValues.GetSize(), curve->mYValues.GetSize());
  for (int i = 0; i < n; i++)
  {
    const double x = curve->mXValues[i], y = curve->mYValues[i];
    if (!GraphCurve4::IsDefined(x, y))
      continue;
    if (first)
      nvgMoveTo(mVg, static_cast<float>(x), static_cast<float>(y));
    first = false;
    nvgLineTo(mVg, static_cast<float>(x), static_cast<float>(y));
  }
  nvgStroke(mVg);
  nvgRestore(mVg);
}

void GraphControl10::DrawCurveFill(const GraphCurve4* curve, int height)
{
  nvgSave(mVg);
  ApplyCurveStyle(curve, curve->mAlpha);
  for (const GraphCurve4::Quad& strip : curve->GetFillStrips(false, height))
    FillQuad(mVg, strip);
  if (curve->mFillAlphaUp != 0.0)
  {
    int stroke[4], fill[4];
    curve->GetStyleColors(curve->mAlpha, stroke, fill);
    fill[3] = static_cast<int>(curve->mFillAlphaUp * 255.0) & 255;
    nvgFillColor(mVg, RendererColor(fill));
    for (const GraphCurve4::Quad& strip : curve->GetFillStrips(true, height))
      FillQuad(mVg, strip);
  }
  nvgRestore(mVg);
}

void GraphControl10::DrawCurvePoints(const GraphCurve4* curve, int width)
{
  nvgSave(mVg);
  ApplyCurveStyle(curve, curve->mAlpha);
  const int n = std::min(curve->mXValues.GetSize(), curve->mYValues.GetSize());
  if (curve->mPointsFromCenter)
  {
    nvgStrokeWidth(mVg, static_cast<float>(curve->mPointSize));
    for (int i = 0; i < n; i++)
    {
      const double x = curve->mXValues[i], y = curve->mYValues[i];
      if (!GraphCurve4::IsDefined(x, y))
        continue;
      nvgBeginPath(mVg);
      nvgMoveTo(mVg, static_cast<float>(width * 0.5), 0.0f);
      nvgLineTo(mVg, static_cast<float>(x), static_cast<float>(y));
      nvgStroke(mVg);
    }
  }
  else
  {
    const bool weighted = curve->mWeights.GetSize() == curve->mXValues.GetSize();
    for (int i = 0; i < n; i++)
    {
      const double x = curve->mXValues[i], y = curve->mYValues[i];
      if (!GraphCurve4::IsDefined(x, y))
        continue;
      if (weighted)
      {
        int stroke[4], fill[4];
        curve->GetWeightedColors(curve->mWeights[i], stroke, fill);
        nvgStrokeColor(mVg, RendererColor(stroke));
        nvgFillColor(mVg, RendererColor(fill));
      }
      const GraphCurve4::Quad corners = curve->GetPointSquare(x, y);
      nvgQuad(mVg, corners.data(), GetWhiteImage());
    }
  }
  nvgRestore(mVg);
}

void GraphControl10::DrawSingleValue(const GraphCurve4* curve, bool horizontal, int width, int height)
{
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  int stroke[4], fill[4];
  curve->GetStyleColors(curve->mAlpha, stroke, fill);
  const float v = horizontal ? static_cast<float>(curve->mYValues[0])
                             : static_cast<float>(curve->mYValues[0] / height * width);

  if (curve->mFill)
  {
    // Stroked and filled with the fill colour.
    nvgSave(mVg);
    nvgStrokeColor(mVg, RendererColor(fill));
    nvgFillColor(mVg, RendererColor(fill));
    nvgBeginPath(mVg);
    if (horizontal)
    {
      nvgMoveTo(mVg, 0.0f, 0.0f);
      nvgLineTo(mVg, 0.0f, v);
      nvgLineTo(mVg, w, v);
      nvgLineTo(mVg, w, 0.0f);
    }
    else
    {
      nvgMoveTo(mVg, v, 0.0f);
      nvgLineTo(mVg, v, h);
      nvgLineTo(mVg, w, h);
      nvgLineTo(mVg, w, 0.0f);
    }
    nvgClosePath(mVg);
    nvgFill(mVg);
    nvgStroke(mVg);
    if (horizontal && curve->mFillAlphaUp != 0.0)
    {
      int up[4] = {fill[0], fill[1], fill[2], static_cast<int>(curve->mFillAlphaUp * 255.0) & 255};
      nvgFillColor(mVg, RendererColor(up));
      nvgBeginPath(mVg);
      nvgMoveTo(mVg, 0.0f, h);
      nvgLineTo(mVg, 0.0f, v);
      nvgLineTo(mVg, w, v);
      nvgLineTo(mVg, w, h);
      nvgClosePath(mVg);
      nvgFill(mVg);
    }
    nvgRestore(mVg);
  }

  nvgSave(mVg);
  nvgStrokeWidth(mVg, static_cast<float>(curve->mLineWidth));
  nvgStrokeColor(mVg, RendererColor(stroke));
  nvgBeginPath(mVg);
  if (horizontal)
  {
    nvgMoveTo(mVg, 0.0f, v);
    nvgLineTo(mVg, w, v);
  }
  else
  {
    nvgMoveTo(mVg, v, 0.0f);
    nvgLineTo(mVg, v, h);
  }
  nvgStroke(mVg);
  nvgRestore(mVg);
}

void GraphControl10::DrawAxis(GraphAxis* axis, bool horizontal, bool labelsPass, int width, int height)
{
  if (axis == nullptr)
    return;
  nvgSave(mVg);
  nvgStrokeWidth(mVg, 1.0f);
  nvgStrokeColor(mVg, GraphColor(axis->mLineColor));

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

  std::vector<GraphAxis::GridLine> lines;
  std::vector<GraphAxis::LabelPlace> places;
  axis->Layout(horizontal, mapping, width, height, labelsPass ? nullptr : &lines, labelsPass ? &places : nullptr);

  for (const GraphAxis::GridLine& l : lines)
  {
    nvgBeginPath(mVg);
    nvgMoveTo(mVg, static_cast<float>(l.x0), static_cast<float>(l.y0));
    nvgLineTo(mVg, static_cast<float>(l.x1), static_cast<float>(l.y1));
    nvgStroke(mVg);
  }
  for (const GraphAxis::LabelPlace& p : places)
  {
    // The alignment bits are split as DrawText takes them.
    const int hAlign = p.align & (NVG_ALIGN_LEFT | NVG_ALIGN_CENTER | NVG_ALIGN_RIGHT);
    const int vAlign = p.align & ~hAlign;
    if (axis->mOverlay)
      DrawText(mVg, p.text->c_str(), axis->mOverlayColor, hAlign, vAlign, p.x - 1.0, p.y - 1.0,
               GraphAxis::kLabelSize);
    DrawText(mVg, p.text->c_str(), axis->mLabelColor, hAlign, vAlign, p.x, p.y, GraphAxis::kLabelSize);
  }
  nvgRestore(mVg);
}

void GraphControl10::DrawLegend(int, int height)
{
  int k = 0;
  for (const GraphCurve4* curve : mCurves)
  {
    if (curve->GetName() == nullptr)
      continue;
    const double y = LegendY(k, height);
    ++k;
    nvgSave(mVg);
    ApplyCurveStyle(curve, 1.0);
    nvgBeginPath(mVg);
    nvgMoveTo(mVg, 40.0f, static_cast<float>(y));
    nvgLineTo(mVg, 60.0f, static_cast<float>(y));
    nvgStroke(mVg);
    DrawText(mVg, curve->GetName(), curve->mLegendColor, NVG_ALIGN_LEFT, NVG_ALIGN_MIDDLE, 65.0, y + 2.0,
             GraphAxis::kLabelSize);
    nvgRestore(mVg);
  }
}
