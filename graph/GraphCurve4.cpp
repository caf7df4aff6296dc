#include "graph/GraphCurve4.h"

#include <algorithm>
#include <cstring>

GraphCurve4::GraphCurve4(int numValues) : mNumValues(numValues > 0 ? numValues : 0)
{
  mXValues.Resize(mNumValues);
  mYValues.Resize(mNumValues);
  mYValues.Zero();
}

GraphCurve4::~GraphCurve4() { delete[] mName; }

void GraphCurve4::SetName(const char* name)
{
  delete[] mName;
  mName = nullptr;
  if (name == nullptr || name[0] == '\0')
    return;
  const size_t n = std::strlen(name);
  mName = new char[n + 1];
  std::memcpy(mName, name, n + 1);
}

std::vector<GraphCurve4::Quad> GraphCurve4::GetFillStrips(bool up, double height) const
{
  std::vector<Quad> strips;
  const int n = std::min({mNumValues, mXValues.GetSize(), mYValues.GetSize()});
  double prevX = -1.0, prevY = 0.0;
  for (int i = 0; i < n - 1; i++)
  {
    const double x = mXValues[i], y = mYValues[i];
    if (!IsDefined(x, y))
      continue;
    if (prevX < 0.0)
    {
      prevX = x;
      prevY = y;
      continue;
    }
    if (x - prevX < 2.0)
      continue;
    if (up)
      strips.push_back({prevX, prevY, x, y, x, height, prevX, height});
    else
      strips.push_back({prevX - 1.0, prevY, x, y, x, 0.0, prevX - 1.0, 0.0});
    prevX = x;
    prevY = y;
  }
  return strips;
}

GraphCurve4::Quad GraphCurve4::GetPointSquare(double x, double y) const
{
  const double h = mPointSize * 0.5;
  return {x - h, y - h, x + h, y - h, x + h, y + h, x - h, y + h};
}

void GraphCurve4::GetStyleColors(double alpha, int stroke[4], int fill[4]) const
{
  // Renderer order c2, c1, c0: the picture reaches the screen with red and
  // blue exchanged.
  const int rgb[3] = {static_cast<int>(mColor[2] * 255.0), static_cast<int>(mColor[1] * 255.0),
                      static_cast<int>(mColor[0] * 255.0)};
  for (int i = 0; i < 3; i++)
    stroke[i] = fill[i] = rgb[i] & 255;
  stroke[3] = static_cast<int>(alpha * 255.0) & 255;
  fill[3] = static_cast<int>(mFillAlpha * 255.0) & 255;
}

void GraphCurve4::GetWeightedColors(double weight, int stroke[4], int fill[4]) const
{
  auto scaled = [weight](double c) { return std::clamp(static_cast<int>(c * 255.0 * weight), 0, 255); };
  const int rgb[3] = {scaled(mColor[2]), scaled(mColor[1]), scaled(mColor[0])};
  for (int i = 0; i < 3; i++)
    stroke[i] = fill[i] = rgb[i];
  stroke[3] = scaled(mAlpha);
  fill[3] = scaled(mFillAlpha);
}
