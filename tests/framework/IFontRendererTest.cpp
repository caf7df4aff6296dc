// Text drawing: font resolution, colour, alignment and placement.
#include "framework/IFontRenderer.h"
#include "framework/LICE_Blit.h"
#include "framework/LICE_MemBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{
IText MakeText(int size, IText::EAlign align, IText::EStyle style = IText::kStyleBold)
{
  IText t;
  t.mSize = size;
  t.mAlign = align;
  t.mStyle = style;
  t.mColor = IColor(255, 255, 0, 0);
  return t;
}

// The box of pixels that differ from black.
IRECT InkBox(LICE_MemBitmap& b)
{
  IRECT r(b.getWidth(), b.getHeight(), -1, -1);
  for (int y = 0; y < b.getHeight(); ++y)
    for (int x = 0; x < b.getWidth(); ++x)
      if ((b.getBits()[y * b.getWidth() + x] & 0xffffffu) != 0)
      {
        r.L = std::min(r.L, x), r.T = std::min(r.T, y);
        r.R = std::max(r.R, x + 1), r.B = std::max(r.B, y + 1);
      }
  return r;
}
} // namespace

TEST(IFontRenderer, TahomaMapsToItsStandInInBothWeights)
{
  IFontRenderer fonts;
  fonts.SetStandIn("Tahoma", "DejaVu Sans");
  const std::string regular = fonts.ResolveFontFile("Tahoma", IText::kStyleNormal, nullptr);
  const std::string bold = fonts.ResolveFontFile("Tahoma", IText::kStyleBold, nullptr);
  EXPECT_NE(regular.find("DejaVuSans"), std::string::npos) << regular;
  EXPECT_NE(bold.find("DejaVuSans-Bold"), std::string::npos) << bold;
  EXPECT_EQ(regular.find("Bold"), std::string::npos) << regular;
}

TEST(IFontRenderer, DrawsInTheTextColourWithTopAtTheRectangle)
{
  IFontRenderer fonts;
  LICE_MemBitmap b(200, 60);
  LICE_Clear(&b, LICE_RGBA(0, 0, 0, 255));
  IText text = MakeText(20, IText::kAlignNear);
  IRECT drawn;
  // A zero-height rectangle: the text hangs below its top edge.
  ASSERT_TRUE(fonts.DrawText(&b, text, "HELLO", IRECT(10, 20, 190, 20), nullptr, &drawn));
  const IRECT ink = InkBox(b);
  EXPECT_GE(ink.L, 10);
  EXPECT_LE(ink.L, 13);
  EXPECT_GE(ink.T, 20);
  EXPECT_LE(ink.T, 26); // capitals start a little below the line's top
  EXPECT_LE(ink.B, 20 + 20);
  // The reported box holds all ink.
  EXPECT_LE(drawn.L, ink.L);
  EXPECT_LE(drawn.T, ink.T);
  EXPECT_GE(drawn.R, ink.R);
  EXPECT_GE(drawn.B, ink.B);
  // Fully covered pixels carry the colour itself.
  bool pureRed = false;
  for (int i = 0; i < 200 * 60; ++i)
    pureRed |= b.getBits()[i] == LICE_RGBA(255, 0, 0, 255);
  EXPECT_TRUE(pureRed);
}

TEST(IFontRenderer, AlignmentPlacesTheLineInTheRectangle)
{
  IFontRenderer fonts;
  const IRECT rect(20, 5, 180, 25);
  IRECT nearBox, centerBox, farBox;
  ASSERT_TRUE(fonts.MeasureText(MakeText(14, IText::kAlignNear), "POINTS", rect, &nearBox));
  ASSERT_TRUE(fonts.MeasureText(MakeText(14, IText::kAlignCenter), "POINTS", rect, &centerBox));
  ASSERT_TRUE(fonts.MeasureText(MakeText(14, IText::kAlignFar), "POINTS", rect, &farBox));
  EXPECT_NEAR(nearBox.L, 20, 1);
  EXPECT_NEAR(farBox.R, 180, 1);
  EXPECT_NEAR((centerBox.L + centerBox.R) / 2.0, 100.0, 1.5);
  EXPECT_EQ(nearBox.W(), farBox.W());
  // Bold is wider than regular.
  IRECT regular;
  ASSERT_TRUE(fonts.MeasureText(MakeText(14, IText::kAlignNear, IText::kStyleNormal), "POINTS", rect, &regular));
  EXPECT_LT(regular.W(), nearBox.W());
}

TEST(IFontRenderer, EmptyTextAndClippingDrawNothing)
{
  IFontRenderer fonts;
  LICE_MemBitmap b(100, 40);
  LICE_Clear(&b, LICE_RGBA(0, 0, 0, 255));
  EXPECT_FALSE(fonts.DrawText(&b, MakeText(14, IText::kAlignNear), "", IRECT(0, 0, 100, 20), nullptr, nullptr));
  const IRECT clip(0, 0, 5, 5);
  fonts.DrawText(&b, MakeText(14, IText::kAlignNear), "WWW", IRECT(20, 10, 100, 30), &clip, nullptr);
  EXPECT_EQ(InkBox(b).R, -1);
  // UTF-8: the degree sign is one glyph, not two broken ones.
  IRECT one, two;
  fonts.MeasureText(MakeText(14, IText::kAlignNear), "\xC2\xB0", IRECT(0, 0, 100, 0), &one);
  fonts.MeasureText(MakeText(14, IText::kAlignNear), "\xC2\xB0\xC2\xB0", IRECT(0, 0, 100, 0), &two);
  EXPECT_GT(one.W(), 2);
  EXPECT_NEAR(two.W(), 2 * one.W(), 2);
}
