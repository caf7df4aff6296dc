// The graph's axis layer: grid lines in one pass (behind the curves) and
// labels in another (over them).
#pragma once

#include "graph/GraphAxis.h"

struct NVGcontext;

class GraphAxesLayer
{
public:
  // Nothing for a null axis.
  static void Draw(NVGcontext* vg, GraphAxis* axis, const GraphAxis::Mapping& mapping, bool horizontal,
                   bool labelsPass, int width, int height);
};
