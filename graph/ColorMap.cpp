#include "graph/ColorMap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

ColorMap::ColorMap(const std::vector<Stop>& stops, bool smallTable) : mStops(stops), mSmallTable(smallTable)
{
  Build();
}

void ColorMap::SetRange(double range)
{
  mRange = range * 0.996;
  Build();
}

void ColorMap::SetContrast(double contrast)
{
  mContrast = contrast;
  Build();
}

void ColorMap::GetData(std::vector<uint8_t>* data) const
{
  if (data == nullptr)
    return;
  data->resize(mTable.size() * 4);
  if (!mTable.empty())
    std::memcpy(data->data(), mTable.data(), data->size());
}

void ColorMap::Build()
{
  const int n = mSmallTable ? 4096 : 65536;
  mTable.assign(static_cast<size_t>(n), 0);
  const int numStops = static_cast<int>(mStops.size());
  const double exponent = 1.0 / ((1.0 - mContrast) * 3.0);

  for (int i = 0; i < n; i++)
  {
    double t = std::pow(static_cast<double>(i) / n, exponent);
    t = mRange > 0.0 ? t / (1.0 - mRange) : (t + mRange) / (1.0 + mRange);
    t = std::sqrt(std::clamp(t, 0.0, 1.0));

    // Outside every pair (or with fewer than two stops) the nearest end stop
    // gives the colour; none at all gives zeros.
    int c[4] = {0, 0, 0, 0};
    if (numStops > 0)
    {
      const Stop& end = t < mStops.front().position ? mStops.front() : mStops.back();
      for (int j = 0; j < 4; j++)
        c[j] = end.color[j];
    }
    // Every matching pair in order: at a shared position the later decides.
    for (int k = 0; k + 1 < numStops; k++)
    {
      const Stop& a = mStops[k];
      const Stop& b = mStops[k + 1];
      if (!(a.position <= t && t <= b.position))
        continue;
      const double span = b.position - a.position;
      const double u = span > 0.0 ? (t - a.position) / span : 1.0;
      for (int j = 0; j < 4; j++)
        c[j] = std::clamp(static_cast<int>(a.color[j] * (1.0 - u) + b.color[j] * u), 0, 255);
    }

    uint32_t entry;
    if (mSmallTable)
      entry = static_cast<uint32_t>(c[3]) << 24 | static_cast<uint32_t>(c[0]) << 16 |
              static_cast<uint32_t>(c[1]) << 8 | static_cast<uint32_t>(c[2]);
    else
      entry = static_cast<uint32_t>(c[3]) << 24 | static_cast<uint32_t>(c[2]) << 16 |
              static_cast<uint32_t>(c[1]) << 8 | static_cast<uint32_t>(c[0]);
    mTable[static_cast<size_t>(i)] = entry;
  }
  mTableSize = static_cast<int>(mTable.size());
  mTableData = mTable.empty() ? nullptr : mTable.data();
}
