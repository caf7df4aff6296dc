// Blend modes, clipping and scaling of the editor's picture operations.
#include "framework/LICE_Blit.h"
#include "framework/LICE_MemBitmap.h"

#include <gtest/gtest.h>

namespace
{
LICE_pixel Px(LICE_MemBitmap& b, int x, int y) { return b.getBits()[y * b.getRowSpan() + x]; }

// One picture pixel over one dest pixel with the mode; returns dest after.
LICE_pixel BlendOne(LICE_pixel dest, LICE_pixel src, IChannelBlend::EBlendMethod mode, float alpha = 1.0f)
{
  LICE_MemBitmap d(1, 1), s(1, 1);
  d.getBits()[0] = dest;
  s.getBits()[0] = src;
  LICE_Blit(&d, &s, 0, 0, 0, 0, 1, 1, alpha, mode);
  return d.getBits()[0];
}

void ExpectRgb(LICE_pixel p, int r, int g, int b, int tolerance = 1)
{
  EXPECT_NEAR(LICE_GETR(p), r, tolerance);
  EXPECT_NEAR(LICE_GETG(p), g, tolerance);
  EXPECT_NEAR(LICE_GETB(p), b, tolerance);
}
} // namespace

TEST(LICEBlit, PixelLayoutIsAlphaRedGreenBlue)
{
  EXPECT_EQ(LICE_RGBA(0x11, 0x22, 0x33, 0x44), 0x44112233u);
  EXPECT_EQ(LICE_GETR(0x44112233u), 0x11);
  EXPECT_EQ(LICE_GETG(0x44112233u), 0x22);
  EXPECT_EQ(LICE_GETB(0x44112233u), 0x33);
  EXPECT_EQ(LICE_GETA(0x44112233u), 0x44);
}

TEST(LICEBlit, NoneMixesByThePicturesAlphaAndTheWeight)
{
  const LICE_pixel grey = LICE_RGBA(100, 100, 100, 255);
  ExpectRgb(BlendOne(grey, LICE_RGBA(200, 0, 40, 255), IChannelBlend::kBlendNone), 200, 0, 40);
  ExpectRgb(BlendOne(grey, LICE_RGBA(200, 0, 40, 0), IChannelBlend::kBlendNone), 100, 100, 100, 0);
  ExpectRgb(BlendOne(grey, LICE_RGBA(200, 0, 40, 128), IChannelBlend::kBlendNone), 150, 50, 70);
  ExpectRgb(BlendOne(grey, LICE_RGBA(200, 0, 40, 255), IChannelBlend::kBlendNone, 0.5f), 150, 50, 70);
  EXPECT_EQ(BlendOne(grey, LICE_RGBA(200, 0, 40, 255), IChannelBlend::kBlendNone, 0.0f), grey);
}

TEST(LICEBlit, ClobberCopiesEverythingIncludingAlpha)
{
  EXPECT_EQ(BlendOne(LICE_RGBA(100, 100, 100, 255), LICE_RGBA(1, 2, 3, 0), IChannelBlend::kBlendClobber),
            LICE_RGBA(1, 2, 3, 0));
  ExpectRgb(BlendOne(LICE_RGBA(100, 100, 100, 255), LICE_RGBA(200, 0, 0, 0), IChannelBlend::kBlendClobber, 0.5f), 150,
            50, 50);
}

TEST(LICEBlit, ArithmeticModes)
{
  const LICE_pixel d = LICE_RGBA(100, 200, 50, 255);
  const LICE_pixel s = LICE_RGBA(100, 100, 255, 255);
  ExpectRgb(BlendOne(d, s, IChannelBlend::kBlendAdd), 200, 255, 255);
  ExpectRgb(BlendOne(d, s, IChannelBlend::kBlendMultiply), 100 * 100 / 255, 200 * 100 / 255, 50);
  // Dodge: d / (1 - s); a white picture saturates.
  ExpectRgb(BlendOne(d, s, IChannelBlend::kBlendColorDodge), 100 * 255 / 155, 255, 255);
  // Overlay: dark dest multiplies (doubled), light dest screens.
  ExpectRgb(BlendOne(d, s, IChannelBlend::kBlendOverlay), 2 * 100 * 100 / 255, 255 - 2 * 55 * 155 / 255,
            2 * 50 * 255 / 255);
  // The picture's alpha mixes the mode's colour in: half of multiply.
  ExpectRgb(BlendOne(d, LICE_RGBA(0, 0, 0, 128), IChannelBlend::kBlendMultiply), 50, 100, 25);
}

TEST(LICEBlit, HsvAdjustIsNeutralAt128AndShiftsHue)
{
  const LICE_pixel red = LICE_RGBA(200, 40, 40, 255);
  ExpectRgb(BlendOne(red, LICE_RGBA(128, 128, 128, 255), IChannelBlend::kBlendHSVAdjust), 200, 40, 40);
  // Hue shifted by a third of a turn (two of the six sectors): red to green.
  const LICE_pixel shifted = BlendOne(red, LICE_RGBA(128 + 85, 128, 128, 255), IChannelBlend::kBlendHSVAdjust);
  EXPECT_GT(LICE_GETG(shifted), 150);
  EXPECT_LT(LICE_GETR(shifted), 60);
  // Value halved.
  ExpectRgb(BlendOne(red, LICE_RGBA(128, 128, 64, 255), IChannelBlend::kBlendHSVAdjust), 100, 20, 20);
  // Saturation 0: grey of the same value.
  ExpectRgb(BlendOne(red, LICE_RGBA(128, 0, 128, 255), IChannelBlend::kBlendHSVAdjust), 200, 200, 200);
}

TEST(LICEBlit, BlitClipsToDestinationClipAndSource)
{
  LICE_MemBitmap dest(10, 10), src(4, 4);
  LICE_Clear(&dest, LICE_RGBA(0, 0, 0, 255));
  LICE_Clear(&src, LICE_RGBA(255, 255, 255, 255));
  src.getBits()[0] = LICE_RGBA(255, 0, 0, 255); // top-left marker

  // Partly outside on the left/top: the marker falls outside.
  LICE_Blit(&dest, &src, -1, -1, 0, 0, 4, 4, 1.0f, IChannelBlend::kBlendClobber);
  EXPECT_EQ(Px(dest, 0, 0), LICE_RGBA(255, 255, 255, 255));
  EXPECT_EQ(Px(dest, 3, 3), LICE_RGBA(0, 0, 0, 255));

  // Clip rectangle: only inside it.
  LICE_Clear(&dest, LICE_RGBA(0, 0, 0, 255));
  const IRECT clip(6, 6, 8, 8);
  LICE_Blit(&dest, &src, 5, 5, 0, 0, 4, 4, 1.0f, IChannelBlend::kBlendClobber, &clip);
  EXPECT_EQ(Px(dest, 5, 5), LICE_RGBA(0, 0, 0, 255));
  EXPECT_EQ(Px(dest, 6, 6), LICE_RGBA(255, 255, 255, 255));
  EXPECT_EQ(Px(dest, 7, 7), LICE_RGBA(255, 255, 255, 255));
  EXPECT_EQ(Px(dest, 8, 8), LICE_RGBA(0, 0, 0, 255));

  // A block asked beyond the source's bottom stops there.
  LICE_Clear(&dest, LICE_RGBA(0, 0, 0, 255));
  LICE_Blit(&dest, &src, 0, 0, 0, 2, 4, 4, 1.0f, IChannelBlend::kBlendClobber);
  EXPECT_EQ(Px(dest, 0, 1), LICE_RGBA(255, 255, 255, 255));
  EXPECT_EQ(Px(dest, 0, 2), LICE_RGBA(0, 0, 0, 255));
}

TEST(LICEBlit, ScaledBlitStretchesSmoothly)
{
  LICE_MemBitmap src(2, 1), dest(8, 4);
  src.getBits()[0] = LICE_RGBA(0, 0, 0, 255);
  src.getBits()[1] = LICE_RGBA(255, 255, 255, 255);
  LICE_ScaledBlit(&dest, &src, IRECT(0, 0, 8, 4));
  EXPECT_EQ(Px(dest, 0, 0), LICE_RGBA(0, 0, 0, 255));
  EXPECT_EQ(Px(dest, 7, 3), LICE_RGBA(255, 255, 255, 255));
  // Grey ramp in between, rising left to right, equal down a column.
  for (int x = 1; x < 8; ++x)
    EXPECT_GE(LICE_GETR(Px(dest, x, 0)), LICE_GETR(Px(dest, x - 1, 0)));
  EXPECT_GT(LICE_GETR(Px(dest, 4, 0)), 60);
  EXPECT_LT(LICE_GETR(Px(dest, 4, 0)), 200);
  EXPECT_EQ(Px(dest, 4, 0), Px(dest, 4, 3));
}

TEST(LICEBlit, FillAndOutline)
{
  LICE_MemBitmap dest(6, 6);
  LICE_Clear(&dest, LICE_RGBA(0, 0, 0, 255));
  LICE_FillRect(&dest, IRECT(1, 1, 3, 3), LICE_RGBA(255, 0, 0, 255));
  EXPECT_EQ(Px(dest, 1, 1), LICE_RGBA(255, 0, 0, 255));
  EXPECT_EQ(Px(dest, 3, 3), LICE_RGBA(0, 0, 0, 255));
  LICE_FillRect(&dest, IRECT(0, 0, 6, 6), LICE_RGBA(0, 0, 255, 255), 0.5f);
  ExpectRgb(Px(dest, 1, 1), 128, 0, 128);
  LICE_Clear(&dest, LICE_RGBA(0, 0, 0, 255));
  LICE_DrawRect(&dest, IRECT(1, 1, 5, 5), LICE_RGBA(0, 255, 0, 255));
  EXPECT_EQ(Px(dest, 1, 1), LICE_RGBA(0, 255, 0, 255));
  EXPECT_EQ(Px(dest, 4, 2), LICE_RGBA(0, 255, 0, 255));
  EXPECT_EQ(Px(dest, 2, 2), LICE_RGBA(0, 0, 0, 255));
}
