#include "graph/GraphAxis.h"

#include "nanovg.h"

#include <algorithm>
#include <cmath>

namespace
{
// 20 / ln 10: decibels from a natural logarithm.
constexpr double kDbPerNeper = 8.685889638065037;

double Db(double v) { return v > 0.0 ? kDbPerNeper * std::log(v) : v; }
} // namespace

double GraphAxis::NormDb(double t, double lo, double hi)
{
  const double v = (hi - lo) * t + lo;
  const double dLo = kDbPerNeper * std::log(std::fabs(lo));
  const double dHi = kDbPerNeper * std::log(std::fabs(hi));
  return (Db(v) - dLo) / (dHi - dLo);
}

void GraphAxis::Layout(bool horizontal, const Mapping& mapping, int width, int height, std::vector<GridLine>* lines,
                       std::vector<LabelPlace>* places) const
{
  const int n = static_cast<int>(mLabels.size());
  for (int i = 0; i < n; i++)
  {
    const Label& label = mLabels[i];
    const double t = mapping.logScale ? NormDb(label.t, mapping.lo, mapping.hi) : label.t;
    const bool inner = i > 0 && i < n - 1;
    if (horizontal)
    {
      const double x = t * width;
      const double y = mLabelY * height + kMargin;
      if (inner && lines)
        lines->push_back({x, 0.0, x, static_cast<double>(height)});
      if (!places)
        continue;
      if (inner)
        places->push_back({x, y, NVG_ALIGN_CENTER | NVG_ALIGN_BOTTOM, &label.text});
      if (i == 0)
        places->push_back({x + kMargin, y, NVG_ALIGN_LEFT | NVG_ALIGN_BOTTOM, &label.text});
      if (i == n - 1)
        places->push_back({x - kMargin, y, NVG_ALIGN_RIGHT | NVG_ALIGN_BOTTOM, &label.text});
    }
    else
    {
      const double y = std::clamp((mapping.y1 - mapping.y0) * t + (1.0 - mapping.y1), 0.0, 1.0) * height + mOffset;
      const double x = mLabelX + kMargin;
      if (inner && lines)
        lines->push_back({0.0, y, static_cast<double>(width), y});
      if (!places)
        continue;
      if (inner)
        places->push_back({x, y, NVG_ALIGN_LEFT | NVG_ALIGN_MIDDLE | NVG_ALIGN_BOTTOM, &label.text});
      if (i == 0)
        places->push_back({x, y + 10.5, NVG_ALIGN_LEFT | NVG_ALIGN_BOTTOM, &label.text});
      if (i == n - 1)
        places->push_back({x, y - 21.0, NVG_ALIGN_LEFT | NVG_ALIGN_BOTTOM, &label.text});
    }
  }
}
