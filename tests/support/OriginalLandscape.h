// The 3-D view's landscape drawn through the original sequence: every line
// its own stroke, the wide coloured pass over all lines and then the narrow
// white pass, points as one image quad each; from the drawer's projected
// lines. The reference against which faster drawing paths are checked.
#pragma once

#include "graph/NanoVGExt.h"
#include "view3d/LinesRender.h"

#include <algorithm>

namespace OriginalLandscape
{
// The drawer's two passes: width (or square side) and colour as handed to
// the renderer (components 0 and 2 swapped).
inline NVGcolor PassColor(int pass) { return pass == 0 ? nvgRGBA(255, 128, 128, 255) : nvgRGBA(255, 255, 255, 255); }

// Projects the drawer's lines for width x height and draws them in its mode;
// whiteImage is a 1 x 1 white image of vg.
inline void Draw(NVGcontext* vg, LinesRender& lines, int width, int height, int whiteImage)
{
  lines.ProjectLines(width, height);
  const int mode = lines.GetMode();
  const int numLines = lines.GetNumProjectedLines();
  nvgSave(vg);
  for (int pass = 0; pass < 2; pass++)
  {
    nvgStrokeColor(vg, PassColor(pass));
    nvgFillColor(vg, PassColor(pass));
    nvgStrokeWidth(vg, pass == 0 ? 3.0f : 1.0f);
    if (mode == 0)
    {
      for (int li = 0; li < numLines; li++)
      {
        const int n = lines.GetProjectedLineSize(li);
        const Point3D* p = lines.GetProjectedLine(li);
        if (n == 0)
          continue;
        nvgBeginPath(vg);
        nvgMoveTo(vg, static_cast<float>(p[0].x), static_cast<float>(p[0].y));
        for (int i = 1; i < n; i++)
          nvgLineTo(vg, static_cast<float>(p[i].x), static_cast<float>(p[i].y));
        nvgStroke(vg);
      }
    }
    else if (mode == 1)
    {
      int n = 0;
      for (int li = 0; li < numLines; li++)
        n = std::max(n, lines.GetProjectedLineSize(li));
      for (int j = 0; j < n; j++)
      {
        nvgBeginPath(vg);
        bool first = true;
        for (int li = 0; li < numLines; li++)
        {
          if (j >= lines.GetProjectedLineSize(li))
            continue;
          const Point3D& p = lines.GetProjectedLine(li)[j];
          if (first)
            nvgMoveTo(vg, static_cast<float>(p.x), static_cast<float>(p.y));
          else
            nvgLineTo(vg, static_cast<float>(p.x), static_cast<float>(p.y));
          first = false;
        }
        nvgStroke(vg);
      }
    }
    else if (mode == 2)
    {
      const double half = pass == 0 ? 1.5 : 1.0;
      for (int li = 0; li < numLines; li++)
      {
        const Point3D* p = lines.GetProjectedLine(li);
        for (int i = 0; i < lines.GetProjectedLineSize(li); i++)
        {
          const double x = p[i].x, y = p[i].y;
          const double corners[8] = {x - half, y - half, x + half, y - half, x + half, y + half, x - half, y + half};
          nvgQuad(vg, corners, whiteImage);
        }
      }
    }
  }
  nvgRestore(vg);
}
} // namespace OriginalLandscape
