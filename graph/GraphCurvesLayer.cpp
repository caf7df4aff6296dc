#include "graph/GraphCurvesLayer.h"

#include "graph/GraphColors.h"
#include "graph/GraphCurve4.h"
#include "graph/NanoVGExt.h"

#include <algorithm>

namespace
{
void FillQuad(NVGcontext* vg, const GraphCurve4::Quad& q)
{
  nvgBeginPath(vg);
  nvgMoveTo(vg, static_cast<float>(q[0]), static_cast<float>(q[1]));
  for (size_t i = 1; i < 4; i++)
    nvgLineTo(vg, static_cast<float>(q[2 * i]), static_cast<float>(q[2 * i + 1]));
  nvgLineTo(vg, static_cast<float>(q[0]), static_cast<float>(q[1]));
  nvgFill(vg);
}
} // namespace

int GraphCurvesLayer::GetWhiteImage()
{
  if (mWhiteImage < 0)
  {
    const unsigned char white[4] = {255, 255, 255, 255};
    mWhiteImage = nvgCreateImageRGBA(mVg, 1, 1, NVG_IMAGE_NEAREST, white);
  }
  return mWhiteImage;
}

void GraphCurvesLayer::ApplyStyle(NVGcontext* vg, const GraphCurve4* curve, double alpha)
{
  int stroke[4], fill[4];
  curve->GetStyleColors(alpha, stroke, fill);
  nvgStrokeWidth(vg, static_cast<float>(curve->mLineWidth));
  nvgStrokeColor(vg, RendererColor(stroke));
  nvgFillColor(vg, RendererColor(fill));
}

void GraphCurvesLayer::Draw(const std::vector<GraphCurve4*>& curves, int width, int height)
{
  for (const GraphCurve4* curve : curves)
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
      DrawPoints(curve, width);
    else
    {
      if (curve->mFill)
        DrawFill(curve, height);
      DrawLine(curve);
    }
  }
}

void GraphCurvesLayer::DrawLine(const GraphCurve4* curve)
{
  nvgSave(mVg);
  ApplyStyle(mVg, curve, curve->mAlpha);
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

void GraphCurvesLayer::DrawFill(const GraphCurve4* curve, int height)
{
  nvgSave(mVg);
  ApplyStyle(mVg, curve, curve->mAlpha);
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

void GraphCurvesLayer::DrawPoints(const GraphCurve4* curve, int width)
{
  nvgSave(mVg);
  ApplyStyle(mVg, curve, curve->mAlpha);
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

void GraphCurvesLayer::DrawSingleValue(const GraphCurve4* curve, bool horizontal, int width, int height)
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
