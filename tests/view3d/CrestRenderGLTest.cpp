// The view drawn by the graph control and read back as the user sees it.
// Needs a GL context (run under a display); skipped without one.
#include "view3d/CrestRender.h"

#include "graph/GraphControl10.h"
#include "tests/support/NeedsDisplay.h"
#include "view3d/LinesRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace
{
constexpr int kW = 800, kH = 410;
constexpr double kRate = 44100.0;

struct Rgb
{
  int r, g, b;
};

class CrestRenderGL : public ::testing::Test
{
protected:
  void SetUp() override
  {
    // Under a busy X server a connection now and then fails to open
    // (EAGAIN); another try tells that apart from having no display.
    for (int attempt = 0; attempt < 3 && !(graph && graph->HasRenderer()); attempt++)
      graph = std::make_unique<GraphControl10>(nullptr, nullptr, IRECT(0, 0, kW, kH), 7, 0, 512, "");
    ASSERT_HAS_GL(graph->HasRenderer());
    graph->SetBackgroundColor(0, 0, 0, 255);
    view = std::make_unique<CrestRender>(nullptr, graph.get(), kRate);
    lines = view->GetLines();
  }

  void TearDown() override
  {
    // The graph keeps pointers to the view and its drawer: it goes first.
    graph.reset();
    view.reset();
  }

  void Read()
  {
    pixels.assign(static_cast<size_t>(kW) * kH * 4, 0);
    ASSERT_TRUE(graph->ReadScreenRGBA(pixels.data()));
  }

  // Pixel at screen column x, row y (top row 0).
  Rgb At(int x, int y) const
  {
    const size_t i = (static_cast<size_t>(y) * kW + static_cast<size_t>(x)) * 4;
    return {pixels[i], pixels[i + 1], pixels[i + 2]};
  }
  static bool Lit(Rgb c) { return c.r + c.g + c.b > 60; }
  static bool White(Rgb c) { return c.r >= 245 && c.g >= 245 && c.b >= 245; }
  static bool LightBlue(Rgb c) { return std::abs(c.r - 128) <= 12 && std::abs(c.g - 128) <= 12 && c.b >= 243; }

  // Screen position of a renderer point: y = 0 is the bottom row.
  static int Column(double x) { return static_cast<int>(std::floor(x)); }
  static int Row(double y) { return kH - 1 - static_cast<int>(std::floor(y)); }

  bool LitNear(double x, double y, int radius = 1) const
  {
    for (int dy = -radius; dy <= radius; dy++)
      for (int dx = -radius; dx <= radius; dx++)
      {
        const int cx = Column(x) + dx, cy = Row(y) + dy;
        if (cx >= 0 && cx < kW && cy >= 0 && cy < kH && Lit(At(cx, cy)))
          return true;
      }
    return false;
  }

  int TopmostLitRow() const
  {
    for (int y = 0; y < kH; y++)
      for (int x = 0; x < kW; x++)
        if (Lit(At(x, y)))
          return y;
    return kH;
  }

  // Magnitudes of a Hann-windowed sine on bin, amplitude amp.
  static WDL_TypedBuf<double> SineMagns(int bin, double amp)
  {
    WDL_TypedBuf<double> m(1024);
    m.Zero();
    m[bin - 1] = 0.125 * amp;
    m[bin] = 0.25 * amp;
    m[bin + 1] = 0.125 * amp;
    return m;
  }

  std::unique_ptr<GraphControl10> graph;
  std::unique_ptr<CrestRender> view;
  LinesRender* lines = nullptr;
  std::vector<uint8_t> pixels;
};
} // namespace

TEST_F(CrestRenderGL, BeforeAnyAudioEveryModeDrawsTheFlatLinesWhereTheyProject)
{
  for (int mode : {0, 1, 2})
  {
    view->SetMode(mode);
    view->SetDensity(0.0);
    Read();
    ASSERT_GT(lines->GetNumProjectedLines(), 0);
    double top = -1e9;
    int checked = 0;
    for (int li = 0; li < lines->GetNumProjectedLines(); li++)
    {
      const Point3D* p = lines->GetProjectedLine(li);
      for (int i = 0; i < lines->GetProjectedLineSize(li); i += 5, checked++)
      {
        EXPECT_TRUE(LitNear(p[i].x, p[i].y)) << "mode " << mode << " line " << li << " point " << i;
        top = std::max(top, p[i].y);
      }
    }
    EXPECT_GT(checked, 40);
    // Nothing above the flat landscape.
    EXPECT_GE(TopmostLitRow(), Row(top) - 3) << mode;
    EXPECT_LT(TopmostLitRow(), kH) << mode;
  }
}

TEST_F(CrestRenderGL, ASinesRidgeStandsAtTheMelPositionOfItsFrequency)
{
  view->SetMode(0);
  view->SetDensity(0.0);
  view->SetScale(1.0);
  Read();
  const int flatTop = TopmostLitRow(); // the back line of the flat start
  ASSERT_LT(flatTop, kH);

  const double maxFreq = 1023 * kRate / 1024 * 4.0;
  double previousX = -1.0;
  for (int bin : {30, 200})
  {
    for (int k = 0; k < LinesRender::kMaxNumLines; k++)
      view->AddMagns(SineMagns(bin, 1.0));
    Read();

    // Where the mel axis puts the bin (inverse mel) and the neighbours that
    // the window spreads it to (non-zero from bin - 2 to bin + 2), on the
    // front and the back drawing line: the ridge stands within them.
    auto melX = [&](double pos) {
      return std::log10(1.0 + pos / 1024.0 * maxFreq / 700.0) / std::log10(1.0 + maxFreq / 700.0) - 0.5;
    };
    Point3D ends[4] = {{melX(bin - 2.0), 0.0, 0.5},
                       {melX(bin + 2.0), 0.0, 0.5},
                       {melX(bin - 2.0), 0.0, 0.5 - 15.0 / 16.0},
                       {melX(bin + 2.0), 0.0, 0.5 - 15.0 / 16.0}};
    lines->ProjectPoints(ends, 4, kW, kH);
    const double lo = std::min(ends[0].x, ends[2].x) - 3.0;
    const double hi = std::max(ends[1].x, ends[3].x) + 3.0;
    ASSERT_LT(hi - lo, 60.0);

    // Everything drawn above the flat landscape is the ridge.
    int above = 0, outside = 0;
    double sumX = 0.0;
    for (int y = 0; y < flatTop - 3; y++)
      for (int x = 0; x < kW; x++)
        if (Lit(At(x, y)))
        {
          above++;
          sumX += x;
          outside += x < lo || x > hi;
        }
    EXPECT_GT(above, 50) << bin;
    EXPECT_EQ(outside, 0) << bin << ": ridge expected within " << lo << " .. " << hi;
    const double meanX = sumX / std::max(1, above);
    EXPECT_GT(meanX, previousX + 50.0) << bin; // higher frequency, further right
    previousX = meanX;
  }
}

TEST_F(CrestRenderGL, WidePassIsLightBlueUnderAWhiteNarrowPass)
{
  // Seen from higher up the lines stand apart.
  view->SetAngle1(60.0);
  for (int mode : {0, 1, 2})
  {
    view->SetMode(mode);
    view->SetDensity(0.0);
    Read();
    int wide = 0, narrow = 0, other = 0;
    for (int y = 0; y < kH; y++)
      for (int x = 0; x < kW; x++)
      {
        const Rgb c = At(x, y);
        if (!Lit(c))
          continue;
        if (std::abs(c.r - c.g) > 2 || c.r > c.b)
          other++; // not a mix of light blue, white and black
        else if (mode == 2 ? LightBlue(c) : std::abs(2 * c.r - c.b) <= 3)
          wide++; // (128, 128, 255), or that colour's edge over black
        else if (mode == 2 ? White(c) : c.r >= 200)
          narrow++; // the white pass, whole or blended into the blue
      }
    EXPECT_GT(wide, 100) << mode;
    EXPECT_GT(narrow, 100) << mode;
    EXPECT_EQ(other, 0) << mode;
  }
}

TEST_F(CrestRenderGL, PointsModeDrawsSquaresOfThreeWithTwoWhiteInside)
{
  view->SetAngle1(60.0);
  view->SetMode(2);
  view->SetDensity(0.0);
  Read();
  // Front-row points (line 0) stand apart; each is a 3 x 3 light blue
  // square with a 2 x 2 white one on it.
  const Point3D* front = lines->GetProjectedLine(0);
  const Point3D* second = lines->GetProjectedLine(1);
  ASSERT_GT(std::fabs(front[0].y - second[0].y), 5.0) << "rows too close for the check";
  ASSERT_GT(front[1].x - front[0].x, 5.0) << "points too close for the check";
  for (int i = 0; i < 16; i++)
  {
    int lit = 0, white = 0, blue = 0;
    for (int dy = -3; dy <= 3; dy++)
      for (int dx = -3; dx <= 3; dx++)
      {
        const Rgb c = At(Column(front[i].x) + dx, Row(front[i].y) + dy);
        lit += Lit(c);
        white += White(c);
        blue += LightBlue(c);
      }
    EXPECT_EQ(lit, 9) << i;
    EXPECT_EQ(white, 4) << i;
    EXPECT_EQ(blue, 5) << i;
  }
}

TEST_F(CrestRenderGL, ModesOutsideZeroToTwoDrawNothing)
{
  view->SetMode(3);
  Read();
  EXPECT_EQ(TopmostLitRow(), kH);
  view->SetMode(0);
  Read();
  EXPECT_LT(TopmostLitRow(), kH);
}

TEST_F(CrestRenderGL, EachSpectrumGetsAFrameRendered)
{
  // Rendered, or found to repeat the picture there (a spectrum between two
  // history lines at this speed).
  auto answered = [&] { return graph->GetNumRenderedFrames() + graph->GetNumRepeatedFrames(); };
  Read();
  const int frames = answered();
  Read();
  EXPECT_EQ(answered(), frames); // nothing changed
  view->AddMagns(SineMagns(50, 1.0));
  Read();
  EXPECT_EQ(answered(), frames + 1);
}
