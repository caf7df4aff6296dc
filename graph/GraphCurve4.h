// One curve of the graph: its points ready for drawing (x and y in renderer
// pixels; 1e16 in either marks a point as undefined) and its style. The
// graph control draws it as a line, a fill, points or a single value; the
// geometry of those drawings is computed here so that it can be checked
// without a renderer.
#pragma once

#include "framework/WDL_TypedBuf.h"

#include <array>
#include <vector>

class GraphCurve4
{
public:
  static constexpr double kUndefined = 1e16;
  // A closed four-corner path: (x0, y0) .. (x3, y3), back to the first.
  using Quad = std::array<double, 8>;

  explicit GraphCurve4(int numValues);
  virtual ~GraphCurve4();

  GraphCurve4(const GraphCurve4&) = delete;
  GraphCurve4& operator=(const GraphCurve4&) = delete;

  // The legend text (copied); null or empty removes the legend entry.
  void SetName(const char* name);
  const char* GetName() const { return mName; }

  static bool IsDefined(double x, double y) { return x != kUndefined && y != kUndefined; }

  // The strips between the curve and y = 0 (down) or y = height (up): from
  // the last used point to each defined point at least 2 pixels further;
  // the downward strips reach 1 pixel back. The last point takes no part.
  std::vector<Quad> GetFillStrips(bool up, double height) const;
  // The square of side pointSize centred on (x, y).
  Quad GetPointSquare(double x, double y) const;
  // Renderer colours (components c2, c1, c0, alpha as 0..255) of the line
  // and of the fill, with the line's alpha given.
  void GetStyleColors(double alpha, int stroke[4], int fill[4]) const;
  // The same scaled by a point's weight 0..1.
  void GetWeightedColors(double weight, int stroke[4], int fill[4]) const;

  // Style and data; set by the curve's owner.
  int mLegendColor[4] = {0, 0, 0, 0};
  bool mYLogScale = false;
  double mMinY = 0.0, mMaxY = 1.0;
  bool mPointsMode = false;
  bool mPointsFromCenter = false;
  float mColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  double mAlpha = 1.0;
  double mLineWidth = 1.0;
  double mPointSize = 1.0;
  bool mFill = false;
  double mFillAlpha = 0.125;
  double mFillAlphaUp = 0.0;
  bool mSingleValueH = false;
  bool mSingleValueV = false;
  int mNumValues;
  WDL_TypedBuf<double> mXValues;
  WDL_TypedBuf<double> mYValues;
  WDL_TypedBuf<double> mWeights;

private:
  char* mName = nullptr;
};
