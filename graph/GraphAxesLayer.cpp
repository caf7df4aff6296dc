#include "graph/GraphAxesLayer.h"

#include "graph/GraphColors.h"
#include "graph/GraphControl10.h"

#include <vector>

void GraphAxesLayer::Draw(NVGcontext* vg, GraphAxis* axis, const GraphAxis::Mapping& mapping, bool horizontal,
                          bool labelsPass, int width, int height)
{
  if (axis == nullptr)
    return;
  nvgSave(vg);
  nvgStrokeWidth(vg, 1.0f);
  nvgStrokeColor(vg, GraphColor(axis->mLineColor));

  std::vector<GraphAxis::GridLine> lines;
  std::vector<GraphAxis::LabelPlace> places;
  axis->Layout(horizontal, mapping, width, height, labelsPass ? nullptr : &lines, labelsPass ? &places : nullptr);

  for (const GraphAxis::GridLine& l : lines)
  {
    nvgBeginPath(vg);
    nvgMoveTo(vg, static_cast<float>(l.x0), static_cast<float>(l.y0));
    nvgLineTo(vg, static_cast<float>(l.x1), static_cast<float>(l.y1));
    nvgStroke(vg);
  }
  for (const GraphAxis::LabelPlace& p : places)
  {
    // The alignment bits are split as DrawText takes them.
    const int hAlign = p.align & (NVG_ALIGN_LEFT | NVG_ALIGN_CENTER | NVG_ALIGN_RIGHT);
    const int vAlign = p.align & ~hAlign;
    if (axis->mOverlay)
      GraphControl10::DrawText(vg, p.text->c_str(), axis->mOverlayColor, hAlign, vAlign, p.x - 1.0, p.y - 1.0,
                               GraphAxis::kLabelSize);
    GraphControl10::DrawText(vg, p.text->c_str(), axis->mLabelColor, hAlign, vAlign, p.x, p.y, GraphAxis::kLabelSize);
  }
  nvgRestore(vg);
}
