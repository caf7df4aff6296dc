// The graph's curve layer: lines, fills, points and single values of each
// curve, in renderer coordinates, on the renderer it was made for.
#pragma once

#include <vector>

class GraphCurve4;
struct NVGcontext;

class GraphCurvesLayer
{
public:
  explicit GraphCurvesLayer(NVGcontext* vg) : mVg(vg) {}

  void Draw(const std::vector<GraphCurve4*>& curves, int width, int height);
  // Stroke width and colours of the curve at the given alpha (the legend
  // draws its lines the same way).
  static void ApplyStyle(NVGcontext* vg, const GraphCurve4* curve, double alpha);

private:
  void DrawLine(const GraphCurve4* curve);
  void DrawFill(const GraphCurve4* curve, int height);
  void DrawPoints(const GraphCurve4* curve, int width);
  void DrawSingleValue(const GraphCurve4* curve, bool horizontal, int width, int height);
  // A 1 x 1 white image, made on first use: points are solid quads.
  int GetWhiteImage();

  NVGcontext* mVg;
  int mWhiteImage = -1;
};
