// The colormap table: its shape from range and contrast, the stops' blend
// and the two packings.
#include "graph/ColorMap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
ColorMap BlackToWhite(bool smallTable)
{
  return ColorMap({{0.0, {0, 0, 0, 255}}, {1.0, {255, 255, 255, 255}}}, smallTable);
}

int Grey(const ColorMap& map, int i) { return static_cast<int>(map.GetTableData()[i] & 255); }
} // namespace

TEST(ColorMapTest, GreyRampFollowsTheCubeRootAndSquareRoot)
{
  ColorMap map = BlackToWhite(false);
  ASSERT_EQ(map.GetTableSize(), 65536);
  const int n = map.GetTableSize();
  for (int i : {0, 1, 100, 8291, 20000, 32768, 65535})
  {
    const int expected = static_cast<int>(255.0 * std::sqrt(std::pow(static_cast<double>(i) / n, 1.0 / 3.0)));
    EXPECT_NEAR(Grey(map, i), expected, 1) << "entry " << i;
    const uint32_t entry = map.GetTableData()[i];
    EXPECT_EQ((entry >> 8) & 255, entry & 255);
    EXPECT_EQ(entry >> 24, 255u);
  }
}

TEST(ColorMapTest, RangeStretchesTheTableAndIsStoredShrunk)
{
  ColorMap map = BlackToWhite(false);
  map.SetRange(1.0);
  EXPECT_DOUBLE_EQ(map.GetRange(), 0.996);

  map.SetRange(0.5);
  EXPECT_DOUBLE_EQ(map.GetRange(), 0.498);
  const int n = map.GetTableSize();
  const int whiteFrom = static_cast<int>(std::ceil(std::pow(0.502, 3.0) * n)); // about 0.1265 n
  EXPECT_EQ(Grey(map, whiteFrom + 1), 255);
  EXPECT_EQ(Grey(map, n - 1), 255);
  EXPECT_LT(Grey(map, whiteFrom - 40), 255);

  // A negative range pushes the low end to black: (t - 0.498) / 0.502.
  map.SetRange(-0.5);
  EXPECT_EQ(Grey(map, static_cast<int>(std::pow(0.49, 3.0) * n)), 0);
  EXPECT_GT(Grey(map, static_cast<int>(std::pow(0.51, 3.0) * n)), 0);
  EXPECT_NEAR(Grey(map, n - 1), 254, 1);
}

TEST(ColorMapTest, ContrastChangesTheExponent)
{
  ColorMap map = BlackToWhite(true);
  ASSERT_EQ(map.GetTableSize(), 4096);
  const int before = Grey(map, 512);
  map.SetContrast(0.5); // exponent 1 / 1.5 instead of 1 / 3
  EXPECT_DOUBLE_EQ(map.GetContrast(), 0.5);
  const int expected = static_cast<int>(255.0 * std::sqrt(std::pow(512.0 / 4096.0, 1.0 / 1.5)));
  EXPECT_NEAR(Grey(map, 512), expected, 1);
  EXPECT_LT(Grey(map, 512), before);
}

TEST(ColorMapTest, PackingAndStopBlending)
{
  // Constant colour between two stops of the same colour, to see the packing.
  const std::vector<ColorMap::Stop> stops{{0.0, {10, 20, 30, 40}}, {1.0, {10, 20, 30, 40}}};
  ColorMap large(stops, false);
  ColorMap small(stops, true);
  EXPECT_EQ(large.GetTableData()[100], 40u << 24 | 30u << 16 | 20u << 8 | 10u);
  EXPECT_EQ(small.GetTableData()[100], 40u << 24 | 10u << 16 | 20u << 8 | 30u);
  std::vector<uint8_t> bytes;
  large.GetData(&bytes);
  ASSERT_EQ(bytes.size(), 65536u * 4);
  EXPECT_EQ(bytes[400], 10);
  EXPECT_EQ(bytes[401], 20);
  EXPECT_EQ(bytes[402], 30);
  EXPECT_EQ(bytes[403], 40);

  // At a shared stop position the later pair decides: red up to 0.5, then
  // green from there; t = 0.5 itself takes the later pair's start.
  ColorMap split({{0.0, {255, 0, 0, 255}}, {0.5, {255, 0, 0, 255}}, {0.5, {0, 255, 0, 255}}, {1.0, {0, 255, 0, 255}}},
                 false);
  const int n = split.GetTableSize();
  const int atHalf = static_cast<int>(std::pow(0.25, 3.0) * n); // sqrt(t^(1/3)) = 0.5
  EXPECT_EQ(split.GetTableData()[atHalf] & 0xffffff, 0x00ff00u);
  EXPECT_EQ(split.GetTableData()[atHalf - 50] & 0xffffff, 0x0000ffu);
  EXPECT_EQ(split.GetTableData()[n - 1] & 0xffffff, 0x00ff00u);
}
