// The landscape as the graph's renderer draws it, pixel by pixel against the
// original drawing sequence on plain NanoVG with stencil strokes: the faster
// path must give the same picture, apart from a few anti-aliased edge pixels.
#define NANOVG_GL2 1
#include <GL/glew.h>
#include "nanovg.h"
#include "nanovg_gl.h"

#include "graph/GraphRendererFlags.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/OriginalLandscape.h"
#include "view3d/LinesRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
constexpr int kW = 800, kH = 410;

// Spectra with hills and noise at full scale, so that neighbouring lines
// cross and overlap as loud music makes them.
void FillNoisyHistory(LinesRender& lines)
{
  uint32_t seed = 12345;
  for (int k = 0; k < LinesRender::kMaxNumLines; k++)
  {
    std::vector<Point3D> line(1024);
    for (int i = 0; i < 1024; i++)
    {
      seed = seed * 1664525u + 1013904223u;
      const double noise = (seed >> 8) / static_cast<double>(1u << 24);
      line[static_cast<size_t>(i)] = {
        i / 1024.0 - 0.5, 0.25 + 0.2 * std::sin(i * 0.02 + k * 0.3) + 0.15 * noise * std::exp(-i / 400.0), 0.0};
    }
    lines.AddPoints(line);
  }
}

std::vector<LICE_pixel> Snapshot(OffscreenCanvas& canvas, NVGcontext* vg, const std::function<void()>& draw)
{
  canvas.Bitmap()->clear(0xff000000);
  nvgBeginFrame(vg, static_cast<float>(kW), static_cast<float>(kH), 1.0f);
  draw();
  nvgEndFrame(vg);
  canvas.Bitmap()->ReadBack();
  return std::vector<LICE_pixel>(canvas.Bitmap()->getBits(), canvas.Bitmap()->getBits() + kW * kH);
}

// Background, the wide pass's colour or white: a pixel that some stroke or
// square covers fully, or none does.
bool IsPureColor(LICE_pixel p)
{
  const LICE_pixel rgb = p & 0xffffff;
  const LICE_pixel wide = 255 | (128 << 8) | (128 << 16);
  return rgb == 0 || rgb == 0xffffff || rgb == wide;
}

// Whether (x, y) or one of its neighbours is partly covered in the picture.
bool NearEdge(const std::vector<LICE_pixel>& picture, int x, int y)
{
  for (int dy = -1; dy <= 1; dy++)
    for (int dx = -1; dx <= 1; dx++)
    {
      const int nx = x + dx, ny = y + dy;
      if (nx >= 0 && nx < kW && ny >= 0 && ny < kH && !IsPureColor(picture[static_cast<size_t>(ny) * kW + nx]))
        return true;
    }
  return false;
}
} // namespace

TEST(LinesRenderPixels, DensestFrameOfEveryModeMatchesTheOriginalSequence)
{
  OffscreenCanvas canvas(kW, kH, kGraphRendererFlags);
  ASSERT_TRUE(canvas.IsValid()) << "no OpenGL 2 context with framebuffers (display broken?)";
  NVGcontext* original = nvgCreateGL2(NVG_ANTIALIAS | NVG_STENCIL_STROKES);
  ASSERT_NE(original, nullptr);
  const unsigned char white[4] = {255, 255, 255, 255};
  const int originalWhite = nvgCreateImageRGBA(original, 1, 1, NVG_IMAGE_NEAREST, white);

  LinesRender lines;
  lines.SetCameraAngles(0.0, 15.0);
  lines.SetDensity(1.0);
  lines.SetScale(1.0);
  FillNoisyHistory(lines);

  for (int mode : {0, 1, 2})
  {
    SCOPED_TRACE(mode);
    lines.SetMode(mode);
    const std::vector<LICE_pixel> expected = Snapshot(
      canvas, original, [&] { OriginalLandscape::Draw(original, lines, kW, kH, originalWhite); });
    const std::vector<LICE_pixel> got = Snapshot(canvas, canvas.Vg(), [&] { lines.PreDraw(canvas.Vg(), kW, kH); });

    int drawn = 0, same = 0, offEdge = 0;
    for (int y = 0; y < kH; y++)
      for (int x = 0; x < kW; x++)
      {
        const size_t i = static_cast<size_t>(y) * kW + x;
        drawn += (expected[i] & 0xffffff) != 0;
        if (got[i] == expected[i])
          same++;
        else if (!NearEdge(expected, x, y))
          offEdge++;
      }
    // A landscape that covers a good part of the graph, drawn alike.
    EXPECT_GT(drawn, kW * kH / 20);
    EXPECT_GE(same, kW * kH * 99 / 100) << (kW * kH - same) << " pixels differ";
    EXPECT_EQ(offEdge, 0) << "pixels differ away from anti-aliased edges";
  }
  nvgDeleteGL2(original);
}
