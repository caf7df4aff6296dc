// The graph's legend: a short line in the curve's style and its name, one
// row per named curve, from the bottom up.
#pragma once

#include <vector>

class GraphCurve4;
struct NVGcontext;

class GraphLegendLayer
{
public:
  static void Draw(NVGcontext* vg, const std::vector<GraphCurve4*>& curves, int height);
};
