#include "graph/GraphLegendLayer.h"

#include "graph/GraphAxis.h"
#include "graph/GraphControl10.h"
#include "graph/GraphCurve4.h"
#include "graph/GraphCurvesLayer.h"
#include "graph/NanoVGExt.h"

void GraphLegendLayer::Draw(NVGcontext* vg, const std::vector<GraphCurve4*>& curves, int height)
{
  int k = 0;
  for (const GraphCurve4* curve : curves)
  {
    if (curve->GetName() == nullptr)
      continue;
    const double y = GraphControl10::LegendY(k, height);
    ++k;
    nvgSave(vg);
    GraphCurvesLayer::ApplyStyle(vg, curve, 1.0);
    nvgBeginPath(vg);
    nvgMoveTo(vg, 40.0f, static_cast<float>(y));
    nvgLineTo(vg, 60.0f, static_cast<float>(y));
    nvgStroke(vg);
    GraphControl10::DrawText(vg, curve->GetName(), curve->mLegendColor, NVG_ALIGN_LEFT, NVG_ALIGN_MIDDLE, 65.0,
                             y + 2.0, GraphAxis::kLabelSize);
    nvgRestore(vg);
  }
}
