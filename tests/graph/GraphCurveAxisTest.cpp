// The geometry and colours of curves and axes, without a renderer.
#include "graph/GraphAxis.h"
#include "graph/GraphCurve4.h"

#include "nanovg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
std::unique_ptr<GraphCurve4> CurveOf(const std::vector<double>& xs, const std::vector<double>& ys)
{
  auto curve = std::make_unique<GraphCurve4>(static_cast<int>(xs.size()));
  for (size_t i = 0; i < xs.size(); i++)
  {
    curve->mXValues[static_cast<int>(i)] = xs[i];
    curve->mYValues[static_cast<int>(i)] = ys[i];
  }
  return curve;
}
} // namespace

TEST(GraphCurve4Test, StartsAsDescribed)
{
  GraphCurve4 curve(5);
  EXPECT_EQ(curve.mXValues.GetSize(), 5);
  EXPECT_EQ(curve.mYValues.GetSize(), 5);
  for (int i = 0; i < 5; i++)
    EXPECT_EQ(curve.mYValues[i], 0.0);
  EXPECT_EQ(curve.mWeights.GetSize(), 0);
  EXPECT_EQ(curve.GetName(), nullptr);
  curve.SetName("level");
  EXPECT_STREQ(curve.GetName(), "level");
  curve.SetName("");
  EXPECT_EQ(curve.GetName(), nullptr);
}

TEST(GraphCurve4Test, FillStripsAreAtLeastTwoPixelsWideAndSkipTheLastPoint)
{
  auto curve = CurveOf({0, 1, 2, 3}, {5, 6, 7, 8});
  auto down = curve->GetFillStrips(false, 100.0);
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(down[0], (GraphCurve4::Quad{-1, 5, 2, 7, 2, 0, -1, 0}));
  auto up = curve->GetFillStrips(true, 100.0);
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0], (GraphCurve4::Quad{0, 5, 2, 7, 2, 100, 0, 100}));

  // Undefined points take no part; a skipped point leaves prev where it was.
  const double u = GraphCurve4::kUndefined;
  auto gaps = CurveOf({u, 10, 11, 13, 20, 14, 16, 30}, {1, 2, 3, 4, u, 6, 7, 8});
  auto strips = gaps->GetFillStrips(false, 50.0);
  ASSERT_EQ(strips.size(), 2u);
  EXPECT_EQ(strips[0], (GraphCurve4::Quad{9, 2, 13, 4, 13, 0, 9, 0}));
  // 14 is only 1 from 13: skipped; 16 then starts from 13; 30 is the last.
  EXPECT_EQ(strips[1], (GraphCurve4::Quad{12, 4, 16, 7, 16, 0, 12, 0}));
}

TEST(GraphCurve4Test, PointSquaresAreCentredOnThePoint)
{
  GraphCurve4 curve(1);
  curve.mPointSize = 4.0;
  EXPECT_EQ(curve.GetPointSquare(10, 10), (GraphCurve4::Quad{8, 8, 12, 8, 12, 12, 8, 12}));
}

TEST(GraphCurve4Test, StyleColoursSwapRedAndBlueAndScaleByWeight)
{
  GraphCurve4 curve(1);
  curve.mColor[0] = 0.2f;
  curve.mColor[1] = 0.4f;
  curve.mColor[2] = 0.6f;
  curve.mAlpha = 0.5;
  curve.mFillAlpha = 0.125;
  int stroke[4], fill[4];
  curve.GetStyleColors(curve.mAlpha, stroke, fill);
  EXPECT_EQ(stroke[0], 153);
  EXPECT_EQ(stroke[1], 102);
  EXPECT_EQ(stroke[2], 51);
  EXPECT_EQ(stroke[3], 127);
  EXPECT_EQ(fill[0], 153);
  EXPECT_EQ(fill[3], 31);
  curve.GetStyleColors(1.0, stroke, fill);
  EXPECT_EQ(stroke[3], 255);
  // Out of range components keep their low 8 bits only.
  curve.mColor[2] = 2.0f;
  curve.GetStyleColors(1.0, stroke, fill);
  EXPECT_EQ(stroke[0], 510 & 255);

  curve.mColor[2] = 0.6f;
  curve.GetWeightedColors(0.5, stroke, fill);
  EXPECT_EQ(stroke[0], 76);
  EXPECT_EQ(stroke[1], 51);
  EXPECT_EQ(stroke[2], 25);
  EXPECT_EQ(stroke[3], 63);
  EXPECT_EQ(fill[3], 15);
  // Weighted colours are clamped instead.
  curve.GetWeightedColors(4.0, stroke, fill);
  EXPECT_EQ(stroke[0], 255);
  curve.GetWeightedColors(-1.0, stroke, fill);
  EXPECT_EQ(stroke[1], 0);
}

TEST(GraphAxisTest, HorizontalAxisDrawsInnerGridLinesAndShiftsEndLabelsInwards)
{
  GraphAxis axis;
  axis.mLabels = {{0.0, "lo"}, {0.5, "mid"}, {1.0, "hi"}};
  axis.mLabelY = 0.25;
  std::vector<GraphAxis::GridLine> lines;
  std::vector<GraphAxis::LabelPlace> places;
  axis.Layout(true, GraphAxis::Mapping(), 200, 100, &lines, &places);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_DOUBLE_EQ(lines[0].x0, 100.0);
  EXPECT_DOUBLE_EQ(lines[0].y0, 0.0);
  EXPECT_DOUBLE_EQ(lines[0].y1, 100.0);
  ASSERT_EQ(places.size(), 3u);
  const double margin = 14 * 0.2;
  EXPECT_DOUBLE_EQ(places[0].x, margin);
  EXPECT_DOUBLE_EQ(places[0].y, 25.0 + margin);
  EXPECT_EQ(places[0].align, NVG_ALIGN_LEFT | NVG_ALIGN_BOTTOM);
  EXPECT_EQ(*places[0].text, "lo");
  EXPECT_DOUBLE_EQ(places[1].x, 100.0);
  EXPECT_EQ(places[1].align, NVG_ALIGN_CENTER | NVG_ALIGN_BOTTOM);
  EXPECT_DOUBLE_EQ(places[2].x, 200.0 - margin);
  EXPECT_EQ(places[2].align, NVG_ALIGN_RIGHT | NVG_ALIGN_BOTTOM);
}

TEST(GraphAxisTest, VerticalAxisMapsThroughTheBoundsAndOffset)
{
  GraphAxis axis;
  axis.mLabels = {{0.0, "a"}, {0.5, "b"}, {1.0, "c"}};
  axis.mLabelX = 10.0;
  axis.mOffset = 3.0;
  GraphAxis::Mapping mapping;
  mapping.y0 = 0.0;
  mapping.y1 = 0.5; // the graph's drawing bounds
  std::vector<GraphAxis::GridLine> lines;
  std::vector<GraphAxis::LabelPlace> places;
  axis.Layout(false, mapping, 200, 100, &lines, &places);
  // y = clamp(0.5 t + 0.5, 0, 1) * height + offset
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_DOUBLE_EQ(lines[0].y0, 78.0);
  EXPECT_DOUBLE_EQ(lines[0].x1, 200.0);
  ASSERT_EQ(places.size(), 3u);
  EXPECT_DOUBLE_EQ(places[0].x, 10.0 + 14 * 0.2);
  EXPECT_DOUBLE_EQ(places[0].y, 53.0 + 10.5);
  EXPECT_DOUBLE_EQ(places[1].y, 78.0);
  EXPECT_EQ(places[1].align, NVG_ALIGN_LEFT | NVG_ALIGN_MIDDLE | NVG_ALIGN_BOTTOM);
  EXPECT_DOUBLE_EQ(places[2].y, 103.0 - 21.0);

  // One label is both the first and the last; none draws nothing.
  axis.mLabels = {{0.5, "only"}};
  lines.clear();
  places.clear();
  axis.Layout(false, mapping, 200, 100, &lines, &places);
  EXPECT_TRUE(lines.empty());
  ASSERT_EQ(places.size(), 2u);
  EXPECT_DOUBLE_EQ(places[0].y, 78.0 + 10.5);
  EXPECT_DOUBLE_EQ(places[1].y, 78.0 - 21.0);
  axis.mLabels.clear();
  places.clear();
  axis.Layout(true, mapping, 200, 100, &lines, &places);
  EXPECT_TRUE(places.empty());
}

TEST(GraphAxisTest, NormDbPlacesPositionsOnADecibelScale)
{
  EXPECT_DOUBLE_EQ(GraphAxis::NormDb(0.0, 1.0, 10.0), 0.0);
  EXPECT_DOUBLE_EQ(GraphAxis::NormDb(1.0, 1.0, 10.0), 1.0);
  // Halfway in decibels is the geometric mean.
  EXPECT_NEAR(GraphAxis::NormDb((std::sqrt(10.0) - 1.0) / 9.0, 1.0, 10.0), 0.5, 1e-12);
  // Values at or below zero enter as they are.
  EXPECT_NEAR(GraphAxis::NormDb(0.0, -1.0, 10.0), (-1.0 - 0.0) / 20.0, 1e-12);

  GraphAxis axis;
  axis.mLabels = {{0.0, "1"}, {(std::sqrt(10.0) - 1.0) / 9.0, "3.16"}, {1.0, "10"}};
  GraphAxis::Mapping mapping;
  mapping.logScale = true;
  mapping.lo = 1.0;
  mapping.hi = 10.0;
  std::vector<GraphAxis::GridLine> lines;
  axis.Layout(true, mapping, 200, 100, &lines, nullptr);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NEAR(lines[0].x0, 100.0, 1e-9);
}
