// The renderer additions, checked by the pixels they draw: image quads,
// convex fills without fringe, the colormap in fills and in the state, and
// float images.
// The plain GL2 renderer's declarations too, for comparison.
#define NANOVG_GL2 1
#include <GL/glew.h>
#include "nanovg.h"
#include "nanovg_gl.h"

#include "tests/support/NeedsDisplay.h"
#include "tests/support/OffscreenCanvas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace
{
void ExpectRGBA(const std::array<int, 4>& got, int r, int g, int b, int a, int tolerance = 1)
{
  EXPECT_NEAR(got[0], r, tolerance);
  EXPECT_NEAR(got[1], g, tolerance);
  EXPECT_NEAR(got[2], b, tolerance);
  EXPECT_NEAR(got[3], a, tolerance);
}

int MakeImage(NVGcontext* vg, unsigned char r, unsigned char g, unsigned char b, unsigned char a)
{
  const unsigned char pixel[4] = {r, g, b, a};
  return nvgCreateImageRGBA(vg, 1, 1, NVG_IMAGE_NEAREST, pixel);
}

// 256 texels, texel i = (i, 255 - i, 77, 255): the texel says where it sits.
int MakeRampColormap(NVGcontext* vg)
{
  std::vector<unsigned char> texels(256 * 4);
  for (int i = 0; i < 256; i++)
  {
    texels[i * 4 + 0] = static_cast<unsigned char>(i);
    texels[i * 4 + 1] = static_cast<unsigned char>(255 - i);
    texels[i * 4 + 2] = 77;
    texels[i * 4 + 3] = 255;
  }
  return nvgCreateImageRGBA(vg, 256, 1, NVG_IMAGE_NEAREST, texels.data());
}

int MakeFloatImage(NVGcontext* vg, float value)
{
  std::vector<float> values(4 * 4, value);
  return nvgCreateImageRGBA(vg, 4, 4, NVG_IMAGE_FLOAT, reinterpret_cast<const unsigned char*>(values.data()));
}

void FillRectWithImage(NVGcontext* vg, float x, float y, float w, float h, int image)
{
  nvgBeginPath(vg);
  nvgRect(vg, x, y, w, h);
  nvgFillPaint(vg, nvgImagePattern(vg, x, y, w, h, 0.0f, image, 1.0f));
  nvgFill(vg);
}

// An L shape: one concave path, drawn by the stencil fill.
void FillLWithImage(NVGcontext* vg, float x, float y, float size, int image)
{
  nvgBeginPath(vg);
  nvgMoveTo(vg, x, y);
  nvgLineTo(vg, x + size, y);
  nvgLineTo(vg, x + size, y + size * 0.4f);
  nvgLineTo(vg, x + size * 0.4f, y + size * 0.4f);
  nvgLineTo(vg, x + size * 0.4f, y + size);
  nvgLineTo(vg, x, y + size);
  nvgClosePath(vg);
  nvgFillPaint(vg, nvgImagePattern(vg, x, y, size, size, 0.0f, image, 1.0f));
  nvgFill(vg);
}
} // namespace

TEST(NanoVGExtTest, QuadFillsWithTheFillColourOrTheGivenImage)
{
  OffscreenCanvas canvas(64, 64);
  ASSERT_HAS_GL(canvas.IsValid());
  const int white = MakeImage(canvas.Vg(), 255, 255, 255, 255);
  const int red = MakeImage(canvas.Vg(), 255, 0, 0, 255);
  canvas.Frame([&](NVGcontext* vg) {
    nvgFillColor(vg, nvgRGBA(10, 200, 30, 255));
    const double solid[8] = {4, 4, 20, 4, 20, 20, 4, 20};
    nvgQuad(vg, solid, white);
    // Image -1 keeps the fill paint's own image.
    nvgFillPaint(vg, nvgImagePattern(vg, 0, 0, 1, 1, 0, red, 1.0f));
    const double painted[8] = {30, 30, 50, 30, 50, 50, 30, 50};
    nvgQuad(vg, painted, -1);
  });
  ExpectRGBA(canvas.RendererRGBA(5, 5), 10, 200, 30, 255, 0);
  ExpectRGBA(canvas.RendererRGBA(19, 19), 10, 200, 30, 255, 0);
  ExpectRGBA(canvas.RendererRGBA(12, 12), 10, 200, 30, 255, 0);
  ExpectRGBA(canvas.RendererRGBA(21, 12), 0, 0, 0, 255, 0);
  ExpectRGBA(canvas.RendererRGBA(12, 3), 0, 0, 0, 255, 0);
  ExpectRGBA(canvas.RendererRGBA(40, 40), 255, 0, 0, 255, 0);
}

TEST(NanoVGExtTest, QuadFollowsTheTransformAndTheGlobalAlpha)
{
  OffscreenCanvas canvas(64, 64);
  ASSERT_HAS_GL(canvas.IsValid());
  const int white = MakeImage(canvas.Vg(), 255, 255, 255, 255);
  canvas.Frame([&](NVGcontext* vg) {
    nvgTranslate(vg, 30, 0);
    nvgGlobalAlpha(vg, 0.5f);
    nvgFillColor(vg, nvgRGBA(255, 255, 255, 255));
    const double corners[8] = {0, 0, 10, 0, 10, 10, 0, 10};
    nvgQuad(vg, corners, white);
  });
  ExpectRGBA(canvas.RendererRGBA(5, 5), 0, 0, 0, 255, 0);
  const auto half = canvas.RendererRGBA(35, 5);
  EXPECT_NEAR(half[0], 128, 2);
  EXPECT_NEAR(half[1], 128, 2);
}

TEST(NanoVGExtTest, ConvexFillsHaveAnAntiAliasedFringeByDefault)
{
  OffscreenCanvas fringed(64, 32, NVG_ANTIALIAS);
  ASSERT_HAS_GL(fringed.IsValid());
  auto draw = [](NVGcontext* vg) {
    nvgFillColor(vg, nvgRGBA(255, 255, 255, 255));
    nvgBeginPath(vg);
    nvgRect(vg, 9.75f, 4, 10.5f, 10);
    nvgFill(vg);
  };
  fringed.Frame(draw);
  // The fringe ramps alpha over a pixel around each edge.
  for (int x : {9, 20})
  {
    EXPECT_GT(fringed.RendererRGBA(x, 8)[0], 0) << x;
    EXPECT_LT(fringed.RendererRGBA(x, 8)[0], 255) << x;
  }
  EXPECT_EQ(fringed.RendererRGBA(10, 8)[0], 255);
}

TEST(NanoVGExtTest, NoConvexFringeKeepsEdgesHard)
{
  OffscreenCanvas hard(64, 32, NVG_ANTIALIAS | NVG_NO_CONVEX_FRINGE);
  ASSERT_HAS_GL(hard.IsValid());
  hard.Frame([](NVGcontext* vg) {
    nvgFillColor(vg, nvgRGBA(255, 255, 255, 255));
    nvgBeginPath(vg);
    // The fill without its fringe is NanoVG's half-pixel inset shape:
    // 10.25 .. 19.75, covering pixel centres 10.5 .. 19.5 only.
    nvgRect(vg, 9.75f, 4, 10.5f, 10);
    nvgFill(vg);
    // Strokes keep their anti-aliasing.
    nvgStrokeColor(vg, nvgRGBA(255, 255, 255, 255));
    nvgStrokeWidth(vg, 1.0f);
    nvgBeginPath(vg);
    nvgMoveTo(vg, 30, 20.5f);
    nvgLineTo(vg, 60, 20.5f);
    nvgStroke(vg);
  });
  for (int x = 10; x <= 19; x++)
    EXPECT_EQ(hard.RendererRGBA(x, 8)[0], 255) << "x " << x;
  EXPECT_EQ(hard.RendererRGBA(9, 8)[0], 0);
  EXPECT_EQ(hard.RendererRGBA(20, 8)[0], 0);
  EXPECT_GT(hard.RendererRGBA(45, 20)[0], 0);
}

TEST(NanoVGExtTest, ColormapRecoloursConvexFillsOnly)
{
  OffscreenCanvas canvas(96, 64, NVG_ANTIALIAS | NVG_STENCIL_STROKES | NVG_NO_CONVEX_FRINGE);
  ASSERT_HAS_GL(canvas.IsValid());
  const int colormap = MakeRampColormap(canvas.Vg());
  const int half = MakeFloatImage(canvas.Vg(), 0.5f);
  ASSERT_GT(colormap, 0);
  ASSERT_GT(half, 0);
  canvas.Frame([&](NVGcontext* vg) {
    nvgSetColormap(vg, colormap);
    FillRectWithImage(vg, 0, 0, 20, 20, half); // convex: through the colormap
    FillLWithImage(vg, 30, 0, 30, half);       // concave: plain float colour
    nvgSetColormap(vg, 0);
    FillRectWithImage(vg, 70, 0, 20, 20, half); // convex after a colormapped one
    nvgSetColormap(vg, 9999);
    FillRectWithImage(vg, 0, 40, 20, 20, half); // no such texture: plain
  });
  // The middle texel of 256: value 0.5 selects texel 128.
  ExpectRGBA(canvas.RendererRGBA(10, 10), 128, 127, 77, 255);
  ExpectRGBA(canvas.RendererRGBA(34, 4), 128, 0, 0, 255);
  ExpectRGBA(canvas.RendererRGBA(80, 10), 128, 0, 0, 255);
  ExpectRGBA(canvas.RendererRGBA(10, 50), 128, 0, 0, 255);
}

TEST(NanoVGExtTest, ColormapBelongsToTheSavedState)
{
  OffscreenCanvas canvas(32, 32);
  ASSERT_HAS_GL(canvas.IsValid());
  NVGcontext* vg = canvas.Vg();
  nvgBeginFrame(vg, 32, 32, 1.0f);
  EXPECT_EQ(nvgGetColormap(vg), 0);
  nvgSetColormap(vg, 3);
  nvgSave(vg);
  EXPECT_EQ(nvgGetColormap(vg), 3) << "a save copies the colormap";
  nvgSetColormap(vg, 7);
  EXPECT_EQ(nvgGetColormap(vg), 7);
  nvgRestore(vg);
  EXPECT_EQ(nvgGetColormap(vg), 3);
  nvgSave(vg);
  nvgReset(vg);
  EXPECT_EQ(nvgGetColormap(vg), 0) << "a reset clears it";
  nvgRestore(vg);
  EXPECT_EQ(nvgGetColormap(vg), 3);
  nvgCancelFrame(vg);
  nvgBeginFrame(vg, 32, 32, 1.0f);
  EXPECT_EQ(nvgGetColormap(vg), 0) << "every frame starts without";
  nvgCancelFrame(vg);
}

TEST(NanoVGExtTest, FloatImagesHoldAndUpdateFloats)
{
  OffscreenCanvas canvas(32, 32);
  ASSERT_HAS_GL(canvas.IsValid());
  const int image = MakeFloatImage(canvas.Vg(), 0.25f);
  int w = 0, h = 0;
  nvgImageSize(canvas.Vg(), image, &w, &h);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 4);
  canvas.Frame([&](NVGcontext* vg) { FillRectWithImage(vg, 0, 0, 32, 32, image); });
  ExpectRGBA(canvas.RendererRGBA(16, 16), 64, 0, 0, 255);

  std::vector<float> values(16, 0.75f);
  nvgUpdateImage(canvas.Vg(), image, reinterpret_cast<const unsigned char*>(values.data()));
  canvas.Frame([&](NVGcontext* vg) { FillRectWithImage(vg, 0, 0, 32, 32, image); });
  ExpectRGBA(canvas.RendererRGBA(16, 16), 191, 0, 0, 255);
}

TEST(NanoVGExtTest, PlainRendererIgnoresTheColormapCalls)
{
  OffscreenCanvas canvas(32, 32);
  ASSERT_HAS_GL(canvas.IsValid());
  NVGcontext* plain = nvgCreateGL2(NVG_ANTIALIAS);
  ASSERT_NE(plain, nullptr);
  nvgBeginFrame(plain, 32, 32, 1.0f);
  nvgSetColormap(plain, 5);
  EXPECT_EQ(nvgGetColormap(plain), 0);
  nvgSave(plain);
  nvgRestore(plain);
  nvgCancelFrame(plain);
  nvgDeleteGL2(plain);
}

TEST(NanoVGExtTest, FrameRepeatsLastOnlyWhenItDrawsTheSame)
{
  OffscreenCanvas canvas(32, 32);
  ASSERT_HAS_GL(canvas.IsValid());
  NVGcontext* vg = canvas.Vg();
  const int image = MakeFloatImage(vg, 0.25f);
  // Builds a frame and asks, then draws it when it is new (as the graph
  // does) or drops it.
  auto repeats = [&](float x, NVGcolor colour, int colormap) {
    canvas.Bitmap()->BindFramebuffer();
    nvgBeginFrame(vg, 32, 32, 1.0f);
    nvgSetColormap(vg, colormap);
    nvgBeginPath(vg);
    nvgMoveTo(vg, x, 4);
    nvgLineTo(vg, 28, 20);
    nvgStrokeColor(vg, colour);
    nvgStroke(vg);
    FillRectWithImage(vg, 0, 24, 8, 8, image);
    const bool same = nvgFrameRepeatsLast(vg);
    if (same)
      nvgCancelFrame(vg);
    else
      nvgEndFrame(vg);
    return same;
  };
  const NVGcolor red = nvgRGBA(255, 0, 0, 255);
  EXPECT_FALSE(repeats(4, red, 0)) << "the first frame has nothing to repeat";
  EXPECT_TRUE(repeats(4, red, 0));
  EXPECT_FALSE(repeats(5, red, 0)) << "a vertex moved";
  EXPECT_TRUE(repeats(5, red, 0));
  EXPECT_FALSE(repeats(5, nvgRGBA(255, 0, 1, 255), 0)) << "another colour";
  EXPECT_FALSE(repeats(5, red, image)) << "another colormap";
  EXPECT_TRUE(repeats(5, red, image));

  std::vector<float> values(16, 0.75f);
  nvgUpdateImage(vg, image, reinterpret_cast<const unsigned char*>(values.data()));
  EXPECT_FALSE(repeats(5, red, image)) << "an image it draws changed";
  EXPECT_TRUE(repeats(5, red, image));

  // A frame drawn without asking leaves nothing to repeat.
  canvas.Frame([&](NVGcontext* v) { FillRectWithImage(v, 0, 0, 8, 8, image); });
  EXPECT_FALSE(repeats(5, red, image));
  EXPECT_TRUE(repeats(5, red, image));

  // Nor does a new frame that was asked about and then dropped.
  nvgBeginFrame(vg, 32, 32, 1.0f);
  FillRectWithImage(vg, 0, 0, 8, 8, image);
  EXPECT_FALSE(nvgFrameRepeatsLast(vg));
  nvgCancelFrame(vg);
  EXPECT_FALSE(repeats(5, red, image));
}
