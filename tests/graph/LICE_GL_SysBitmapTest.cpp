// The framebuffer bitmap: sizes, the clear colour's way into memory, and
// the row order of the read-back.
#include "tests/support/NeedsDisplay.h"
#include "tests/support/OffscreenCanvas.h"

#include <gtest/gtest.h>

TEST(LICE_GL_SysBitmapTest, ClearAndReadBackKeepThePixelAndFlipRows)
{
  OffscreenCanvas canvas(16, 8);
  ASSERT_HAS_GL(canvas.IsValid());
  LICE_GL_SysBitmap* bitmap = canvas.Bitmap();
  EXPECT_EQ(bitmap->getWidth(), 16);
  EXPECT_EQ(bitmap->getHeight(), 8);
  EXPECT_EQ(bitmap->getRowSpan(), 16);

  // c0 goes to GL red, which lies first in memory: as a LICE pixel it reads
  // back the same.
  canvas.Frame([](NVGcontext*) {}, 0x80332211u);
  EXPECT_EQ(bitmap->getBits()[0], 0x80332211u);
  EXPECT_EQ(canvas.RendererRGBA(3, 3), (std::array<int, 4>{0x11, 0x22, 0x33, 0x80}));

  // Renderer row 0 is GL's top row: the last row in memory.
  canvas.Frame([](NVGcontext* vg) {
    nvgFillColor(vg, nvgRGBA(255, 0, 0, 255));
    nvgBeginPath(vg);
    nvgRect(vg, 0, 0, 16, 1);
    nvgFill(vg);
  });
  EXPECT_EQ(bitmap->getBits()[7 * 16 + 5], 0xff0000ffu);
  EXPECT_EQ(bitmap->getBits()[0 * 16 + 5], 0xff000000u);
}

TEST(LICE_GL_SysBitmapTest, ResizeRemakesTheFramebuffer)
{
  OffscreenCanvas canvas(16, 8);
  ASSERT_HAS_GL(canvas.IsValid());
  LICE_GL_SysBitmap* bitmap = canvas.Bitmap();
  EXPECT_TRUE(bitmap->resize(5, 3));
  EXPECT_TRUE(bitmap->IsValid());
  EXPECT_EQ(bitmap->getWidth(), 5);
  bitmap->clear(0xff0000ffu);
  ASSERT_TRUE(bitmap->ReadBack());
  EXPECT_EQ(bitmap->getBits()[14], 0xff0000ffu);

  EXPECT_FALSE(bitmap->resize(0, 3));
  EXPECT_FALSE(bitmap->IsValid());
  EXPECT_EQ(bitmap->getBits(), nullptr);
  EXPECT_FALSE(bitmap->ReadBack());
  bitmap->clear(0); // nothing to clear: nothing happens
}

TEST(LICE_GL_SysBitmapTest, EmptyBitmapNeedsNoContext)
{
  LICE_GL_SysBitmap bitmap;
  EXPECT_FALSE(bitmap.IsValid());
  EXPECT_EQ(bitmap.getWidth(), 0);
  EXPECT_EQ(bitmap.getBits(), nullptr);
}
