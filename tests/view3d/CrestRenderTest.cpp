// The view's spectrum-to-line maths, its feeding of the drawer and its camera
// and key handling, without GL (no graph, no plug-in).
#include "view3d/CrestRender.h"

#include "framework/IKeyCodes.h"
#include "framework/IMouseMod.h"
#include "graph/GraphControl10.h"
#include "tests/support/AllocationCounter.h"
#include "view3d/LinesRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace
{
constexpr double kRate = 44100.0;

WDL_TypedBuf<double> Ramp(int n, double offset = 0.0)
{
  WDL_TypedBuf<double> b(n);
  for (int i = 0; i < n; i++)
    b[i] = i + offset;
  return b;
}

// Input position that MelWarp's output value i reads, worked out from the
// mel formula for 1024 magnitudes at 44100 Hz.
double MelSourcePosition(int i, int n, double rate)
{
  const double hz = rate / n * 4.0;
  const double maxFreq = (n - 1) * hz;
  const double melMax = 2595.0 * std::log10(1.0 + maxFreq / 700.0);
  const double f = 700.0 * (std::pow(10.0, i * melMax / n / 2595.0) - 1.0);
  return f / maxFreq * n;
}

// The output position at which input position pos lands (inverse mel).
double MelTargetPosition(double pos, int n, double rate)
{
  const double maxFreq = (n - 1) * rate / n * 4.0;
  return n * std::log10(1.0 + pos / n * maxFreq / 700.0) / std::log10(1.0 + maxFreq / 700.0);
}

void TypeKeys(CrestRender& view, const std::string& letters)
{
  for (char c : letters)
    view.OnKeyDown(0, 0, c - CrestRender::kKeyToLowercase, nullptr);
}
} // namespace

// --- Mel warp ---

TEST(CrestRenderMelWarp, QuarterMiddleAndThreeQuartersComeFromTheDocumentedBins)
{
  EXPECT_NEAR(MelSourcePosition(256, 1024, kRate), 12.2, 0.05);
  EXPECT_NEAR(MelSourcePosition(512, 1024, kRate), 60.6, 0.05);
  EXPECT_NEAR(MelSourcePosition(768, 1024, kRate), 253.8, 0.05);

  // On a ramp the output value is the input position it reads.
  const WDL_TypedBuf<double> in = Ramp(1024);
  WDL_TypedBuf<double> out;
  CrestRender::MelWarp(in, kRate / 1024 * 4.0, &out);
  ASSERT_EQ(out.GetSize(), 1024);
  EXPECT_NEAR(out[256], 12.2, 0.05);
  EXPECT_NEAR(out[512], 60.6, 0.05);
  EXPECT_NEAR(out[768], 253.8, 0.05);
  EXPECT_DOUBLE_EQ(out[0], 0.0);
  for (int i = 1; i < 1024; i++)
    ASSERT_GT(out[i], out[i - 1]) << i;
  for (int i = 0; i < 1024; i += 31)
    EXPECT_NEAR(out[i], MelSourcePosition(i, 1024, kRate), 1e-9) << i;
}

TEST(CrestRenderMelWarp, ValuesReadingPastTheEndStayZeroAndTinyRangesGiveZeros)
{
  // With a constant input every value that can interpolate is 1; a source
  // position whose upper neighbour is past the end gives 0.
  WDL_TypedBuf<double> ones(8);
  for (double& v : ones)
    v = 1.0;
  WDL_TypedBuf<double> out;
  CrestRender::MelWarp(ones, kRate / 8 * 4.0, &out);
  ASSERT_EQ(out.GetSize(), 8);
  for (int i = 0; i < 8; i++)
  {
    const double pos = MelSourcePosition(i, 8, kRate);
    EXPECT_DOUBLE_EQ(out[i], static_cast<int>(pos + 1.0) < 8 ? 1.0 : 0.0) << i;
  }

  CrestRender::MelWarp(ones, 0.0, &out);
  ASSERT_EQ(out.GetSize(), 8);
  for (double v : out)
    EXPECT_EQ(v, 0.0);

  WDL_TypedBuf<double> one(1);
  one[0] = 5.0;
  CrestRender::MelWarp(one, 100.0, &out); // maxFreq 0
  ASSERT_EQ(out.GetSize(), 1);
  EXPECT_EQ(out[0], 0.0);

  CrestRender::MelWarp(WDL_TypedBuf<double>(), 100.0, &out);
  EXPECT_EQ(out.GetSize(), 0);
}

TEST(CrestRenderMelWarp, ASinesBinLandsAtTheMelPositionOfItsFrequency)
{
  CrestRender view(nullptr, nullptr, kRate);
  for (int bin : {20, 61, 93, 300})
  {
    // Magnitudes of a Hann-windowed sine centred on the bin.
    WDL_TypedBuf<double> magns(1024);
    magns.Zero();
    magns[bin - 1] = 0.125;
    magns[bin] = 0.25;
    magns[bin + 1] = 0.125;

    std::vector<Point3D> points;
    view.MagnsToPoints(magns, &points);
    ASSERT_EQ(points.size(), 1024u);
    const auto peak = std::max_element(points.begin(), points.end(),
                                       [](const Point3D& a, const Point3D& b) { return a.y < b.y; });
    const double expectedX = MelTargetPosition(bin, 1024, kRate) / 1024.0 - 0.5;
    EXPECT_NEAR(peak->x, expectedX, 1.5 / 1024) << bin;
    // Where output values are sparser than bins the peak falls between them.
    EXPECT_GT(peak->y, 0.13) << bin;
  }
}

TEST(CrestRenderMelWarp, TheViewsLinesMatchMelWarpExactlyWhateverTheSize)
{
  for (double rate : {44100.0, 48000.0})
  {
    CrestRender view(nullptr, nullptr, rate);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> dist(0.0, 0.3);
    for (int n : {1024, 512, 1024, 3, 1})
    {
      WDL_TypedBuf<double> magns(n);
      for (double& v : magns)
        v = dist(rng);
      std::vector<Point3D> points;
      view.MagnsToPoints(magns, &points);
      WDL_TypedBuf<double> ref;
      CrestRender::MelWarp(magns, rate / n * 4.0, &ref);
      ASSERT_EQ(points.size(), static_cast<size_t>(n));
      for (int i = 0; i < n; i++)
        ASSERT_EQ(points[static_cast<size_t>(i)].y, ref[i]) << rate << " " << n << " " << i;
    }
  }
}

TEST(CrestRenderMelWarp, PointsSpanMinusHalfToHalfAtDepthZero)
{
  CrestRender view(nullptr, nullptr, kRate);
  std::vector<Point3D> points;
  view.MagnsToPoints(Ramp(1024), &points);
  ASSERT_EQ(points.size(), 1024u);
  for (int i = 0; i < 1024; i++)
  {
    ASSERT_DOUBLE_EQ(points[static_cast<size_t>(i)].x, i / 1024.0 - 0.5);
    ASSERT_EQ(points[static_cast<size_t>(i)].z, 0.0);
  }
  view.MagnsToPoints(WDL_TypedBuf<double>(), &points);
  EXPECT_TRUE(points.empty());
}

// --- Linear resampling and the mirror ---

TEST(CrestRenderResample, StretchesShrinksAndKeepsTheLastValue)
{
  WDL_TypedBuf<double> scratch;

  // 0..4 onto 8 values: step 0.5, the last value put back at the end.
  WDL_TypedBuf<double> buf = Ramp(5);
  CrestRender::ResampleLinear(&buf, 8, &scratch);
  ASSERT_EQ(buf.GetSize(), 8);
  const double stretched[8] = {0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0};
  for (int i = 0; i < 8; i++)
    EXPECT_DOUBLE_EQ(buf[i], stretched[i]) << i;

  // 0..8 onto 3 values: step 8/3.
  buf = Ramp(9);
  CrestRender::ResampleLinear(&buf, 3, &scratch);
  ASSERT_EQ(buf.GetSize(), 3);
  EXPECT_DOUBLE_EQ(buf[0], 0.0);
  EXPECT_NEAR(buf[1], 8.0 / 3.0, 1e-12);
  EXPECT_DOUBLE_EQ(buf[2], 8.0);

  // A single value: nothing to interpolate, only the last value is set.
  buf = Ramp(1, 7.0);
  CrestRender::ResampleLinear(&buf, 4, &scratch);
  ASSERT_EQ(buf.GetSize(), 4);
  EXPECT_EQ(buf[0], 0.0);
  EXPECT_EQ(buf[2], 0.0);
  EXPECT_EQ(buf[3], 7.0);

  // Empty input or no output size: untouched.
  WDL_TypedBuf<double> empty;
  CrestRender::ResampleLinear(&empty, 4, &scratch);
  EXPECT_EQ(empty.GetSize(), 0);
  buf = Ramp(3);
  CrestRender::ResampleLinear(&buf, 0, &scratch);
  ASSERT_EQ(buf.GetSize(), 3);
  EXPECT_EQ(buf[2], 2.0);
}

TEST(CrestRenderMirror, ShowsTheLowPartStretchedThenMirroredAndTripled)
{
  const int n = 1000;
  WDL_TypedBuf<double> a, b, scratch;

  // frameCount 0: the seam in the middle. a = the first 400 values
  // stretched to 500 and b = a reversed, each then resampled to 500.
  WDL_TypedBuf<double> v = Ramp(n);
  CrestRender::MirrorMagns(&v, 0, kRate, &a, &b, &scratch);
  ASSERT_EQ(v.GetSize(), n);
  WDL_TypedBuf<double> refA = Ramp(400);
  CrestRender::ResampleLinear(&refA, 500, &scratch);
  WDL_TypedBuf<double> refB(500);
  for (int i = 0; i < 500; i++)
    refB[i] = refA[499 - i];
  CrestRender::ResampleLinear(&refA, 500, &scratch);
  CrestRender::ResampleLinear(&refB, 500, &scratch);
  for (int i = 0; i < 499; i++)
    ASSERT_DOUBLE_EQ(v[i], 3.0 * refA[i]) << i;
  EXPECT_EQ(v[499], 0.0); // the last of a is not shown
  EXPECT_EQ(v[500], 0.0); // nor the first of b
  for (int j = 1; j < 499; j++)
    ASSERT_DOUBLE_EQ(v[500 + j], 3.0 * refB[j]) << j;
  EXPECT_EQ(v[999], 0.0);
  // The low part rises to the seam and falls after it.
  EXPECT_NEAR(v[498], 3.0 * 399.0, 3.0 * 4.0);
  EXPECT_NEAR(v[501], 3.0 * 399.0, 3.0 * 4.0);
  EXPECT_NEAR(v[998], 0.0, 3.0 * 4.0);

  // Later frames move the seam: s = sin(frameCount * n / rate * 0.5).
  const uint64_t frame = 70;
  const double s = std::sin(static_cast<double>(frame * n) / kRate * 0.5);
  const int sizeA = static_cast<int>(n * (0.5 + 0.25 * s));
  v = Ramp(n);
  CrestRender::MirrorMagns(&v, frame, kRate, &a, &b, &scratch);
  EXPECT_EQ(a.GetSize(), sizeA);
  EXPECT_EQ(b.GetSize(), static_cast<int>(n * (1.0 - (0.5 + 0.25 * s))));
  EXPECT_GT(v[sizeA - 2], 0.0);
  EXPECT_EQ(v[sizeA - 1], 0.0);
  EXPECT_EQ(v[sizeA], 0.0);
  EXPECT_GT(v[sizeA + 1], 0.0);
  EXPECT_NE(sizeA, 500);

  // Too short to have a low part: all zeros, no crash.
  WDL_TypedBuf<double> tiny = Ramp(2, 1.0);
  CrestRender::MirrorMagns(&tiny, 0, kRate, &a, &b, &scratch);
  ASSERT_EQ(tiny.GetSize(), 2);
  EXPECT_EQ(tiny[0], 0.0);
  EXPECT_EQ(tiny[1], 0.0);
}

// --- Feeding the drawer ---

TEST(CrestRenderAddMagns, EachSpectrumBecomesTheNewestHistoryLine)
{
  CrestRender view(nullptr, nullptr, kRate);
  LinesRender* lines = view.GetLines();
  ASSERT_NE(lines, nullptr);
  EXPECT_DOUBLE_EQ(lines->GetAngle0(), 0.0);
  EXPECT_DOUBLE_EQ(lines->GetAngle1(), 15.0);

  WDL_TypedBuf<double> magns(1024);
  magns.Zero();
  magns[61] = 0.25;
  view.AddMagns(magns);
  EXPECT_EQ(view.GetFrameCount(), 1u);
  std::vector<Point3D> expected;
  view.MagnsToPoints(magns, &expected);
  const std::vector<Point3D>& newest = lines->GetHistoryLine(31);
  ASSERT_EQ(newest.size(), 1024u);
  for (size_t i = 0; i < 1024; i++)
  {
    ASSERT_DOUBLE_EQ(newest[i].x, expected[i].x);
    ASSERT_DOUBLE_EQ(newest[i].y, expected[i].y);
  }
  EXPECT_EQ(lines->GetHistoryLine(30)[512].y, 0.0);

  // An empty spectrum adds an empty line that sampling steps over.
  view.AddMagns(WDL_TypedBuf<double>());
  EXPECT_EQ(view.GetFrameCount(), 2u);
  EXPECT_TRUE(lines->GetHistoryLine(31).empty());
  lines->SetMode(0);
  lines->ProjectLines(800, 410);
  EXPECT_EQ(lines->GetNumProjectedLines(), 16);
}

TEST(CrestRenderAddMagns, DoesNotAllocateInSteadyStateWithOrWithoutMirror)
{
  CrestRender view(nullptr, nullptr, kRate);
  WDL_TypedBuf<double> magns = Ramp(1024);
  {
    // Sized for the analysis's 1024 magnitudes up front: not even the
    // first spectrum allocates.
    AllocationCounter counter;
    for (int k = 0; k < 50; k++)
      view.AddMagns(magns);
    EXPECT_EQ(counter.Count(), 0u);
  }
  TypeKeys(view, "quenz");
  ASSERT_TRUE(view.GetMirrorMode());
  {
    AllocationCounter counter;
    for (int k = 0; k < 600; k++) // more than a full swing of the seam
      view.AddMagns(magns);
    EXPECT_EQ(counter.Count(), 0u);
  }
}

TEST(CrestRenderAddMagns, MirrorModeMirrorsTheWarpedLineWithTheFrameCountsSwing)
{
  CrestRender view(nullptr, nullptr, kRate);
  const WDL_TypedBuf<double> magns = Ramp(1024, 1.0);
  for (int k = 0; k < 5; k++)
    view.AddMagns(magns);
  TypeKeys(view, "quenz");
  ASSERT_TRUE(view.GetMirrorMode());

  std::vector<Point3D> points;
  view.MagnsToPoints(magns, &points);

  WDL_TypedBuf<double> ref, a, b, scratch;
  CrestRender::MelWarp(magns, kRate / 1024 * 4.0, &ref);
  CrestRender::MirrorMagns(&ref, 5, kRate, &a, &b, &scratch);
  ASSERT_EQ(points.size(), 1024u);
  for (int i = 0; i < 1024; i++)
    ASSERT_DOUBLE_EQ(points[static_cast<size_t>(i)].y, ref[i]) << i;

  TypeKeys(view, "quenz");
  EXPECT_FALSE(view.GetMirrorMode());
}

TEST(CrestRenderSetters, ForwardToTheDrawerWithoutClamping)
{
  CrestRender view(nullptr, nullptr, kRate);
  LinesRender* lines = view.GetLines();
  view.SetMode(0);
  EXPECT_EQ(lines->GetMode(), 0);
  view.SetSpeed(0.5);
  EXPECT_EQ(lines->GetSpeedDivisor(), 4);
  view.SetDensity(0.5);
  EXPECT_EQ(lines->GetDensity(), 40);
  view.SetScale(1.5);
  EXPECT_DOUBLE_EQ(lines->GetScale(), 1.5);
  view.SetAngle0(-120.0);
  view.SetAngle1(5.0);
  EXPECT_DOUBLE_EQ(view.GetAngle0(), -120.0);
  EXPECT_DOUBLE_EQ(lines->GetAngle0(), -120.0);
  EXPECT_DOUBLE_EQ(lines->GetAngle1(), 5.0);
  view.SetCamFov(60.0);
  EXPECT_DOUBLE_EQ(lines->GetCamFov(), 60.0);
}

// --- Camera from the mouse ---

TEST(CrestRenderCamera, DraggingTurnsOneDegreePerPixelWithinRange)
{
  CrestRender view(nullptr, nullptr, kRate);
  LinesRender* lines = view.GetLines();
  IMouseMod plain;

  view.OnMouseDown(100, 100, &plain);
  view.OnMouseDrag(300, 100, 0, 0, &plain); // 200 px right
  EXPECT_DOUBLE_EQ(view.GetAngle0(), 90.0);
  EXPECT_DOUBLE_EQ(lines->GetAngle0(), 90.0);
  view.OnMouseDrag(320, 100, 0, 0, &plain);
  EXPECT_DOUBLE_EQ(view.GetAngle0(), 90.0);
  view.OnMouseDrag(310, 100, 0, 0, &plain); // the clamp does not accumulate
  EXPECT_DOUBLE_EQ(view.GetAngle0(), 80.0);

  view.OnMouseDrag(310, 50, 0, 0, &plain); // up from 15
  EXPECT_DOUBLE_EQ(view.GetAngle1(), 15.0);
  view.OnMouseDrag(310, 80, 0, 0, &plain); // down 30
  EXPECT_DOUBLE_EQ(view.GetAngle1(), 45.0);
  EXPECT_DOUBLE_EQ(lines->GetAngle1(), 45.0);

  // The framework's dX, dY are not used; a new press starts from its point.
  view.OnMouseDown(0, 0, &plain);
  view.OnMouseDrag(-20, 0, 999, 999, &plain);
  EXPECT_DOUBLE_EQ(view.GetAngle0(), 60.0);
  EXPECT_DOUBLE_EQ(view.GetAngle1(), 45.0);
  view.OnMouseDrag(-400, 200, 0, 0, nullptr);
  EXPECT_DOUBLE_EQ(view.GetAngle0(), -90.0);
  EXPECT_DOUBLE_EQ(view.GetAngle1(), 90.0);
}

TEST(CrestRenderCamera, WheelAndAltDragZoom)
{
  CrestRender view(nullptr, nullptr, kRate);
  LinesRender* lines = view.GetLines();
  view.OnMouseWheel(0, 0, nullptr, 1.0);
  EXPECT_NEAR(lines->GetCamFov(), 45.0 / 1.025, 1e-12);
  view.OnMouseWheel(0, 0, nullptr, 1.0);
  EXPECT_NEAR(lines->GetCamFov(), 45.0 / 1.025 / 1.025, 1e-12);
  view.OnMouseWheel(0, 0, nullptr, -1.0);
  EXPECT_NEAR(lines->GetCamFov(), 45.0 / 1.025 / 1.025 / 0.975, 1e-12);
  view.OnMouseWheel(0, 0, nullptr, -1.0); // would pass 45
  EXPECT_DOUBLE_EQ(lines->GetCamFov(), 45.0);
  view.OnMouseWheel(0, 0, nullptr, -1.0);
  EXPECT_DOUBLE_EQ(lines->GetCamFov(), 45.0);

  IMouseMod alt(true, false, false, false, true);
  view.OnMouseDown(10, 100, &alt);
  view.OnMouseDrag(10, 140, 0, 0, &alt); // first Alt-drag event: nothing
  EXPECT_DOUBLE_EQ(lines->GetCamFov(), 45.0);
  EXPECT_DOUBLE_EQ(view.GetAngle0(), 0.0);
  EXPECT_DOUBLE_EQ(view.GetAngle1(), 15.0);
  view.OnMouseDrag(50, 130, 0, 0, &alt); // 10 px up: d = 2
  EXPECT_NEAR(lines->GetCamFov(), 45.0 / 1.05, 1e-12);
  EXPECT_DOUBLE_EQ(view.GetAngle0(), 0.0);
  view.OnMouseDrag(50, 150, 0, 0, &alt); // 20 px down: d = -4
  EXPECT_NEAR(lines->GetCamFov(), std::min(45.0, 45.0 / 1.05 / 0.9), 1e-12);

  // A plain drag after a new press turns again (the Alt drag left
  // dragStarted set, the press clears it).
  IMouseMod plain;
  view.OnMouseDown(0, 0, &plain);
  view.OnMouseDrag(5, 0, 0, 0, &plain);
  EXPECT_DOUBLE_EQ(view.GetAngle0(), 5.0);
  for (int i = 0; i < 100; i++)
    view.OnMouseWheel(0, 0, nullptr, 3.0);
  EXPECT_DOUBLE_EQ(lines->GetCamFov(), 15.0);
}

TEST(CrestRenderCamera, DoubleClickResetsTheCamera)
{
  CrestRender view(nullptr, nullptr, kRate);
  LinesRender* lines = view.GetLines();
  IMouseMod plain;
  view.OnMouseDown(0, 0, &plain);
  view.OnMouseDrag(30, 40, 0, 0, &plain);
  view.OnMouseWheel(0, 0, nullptr, 4.0);
  view.SetCamFov(20.0);
  ASSERT_NE(view.GetAngle0(), 0.0);

  EXPECT_TRUE(view.OnMouseDblClick(0, 0, &plain));
  EXPECT_DOUBLE_EQ(view.GetAngle0(), 0.0);
  EXPECT_DOUBLE_EQ(view.GetAngle1(), 15.0);
  EXPECT_DOUBLE_EQ(lines->GetAngle0(), 0.0);
  EXPECT_DOUBLE_EQ(lines->GetAngle1(), 15.0);
  EXPECT_DOUBLE_EQ(lines->GetCamFov(), 45.0);
}

// --- The mirror code ---

TEST(CrestRenderKeys, TheFiveLetterCodeTogglesTheMirror)
{
  CrestRender view(nullptr, nullptr, kRate);
  EXPECT_EQ(std::string(CrestRender::kMirrorCode), "quenz");
  // Letter keys are numbered 15 (a) to 40 (z).
  EXPECT_EQ('a' - CrestRender::kKeyToLowercase, kKeyAlphaA);
  EXPECT_EQ('z' - CrestRender::kKeyToLowercase, kKeyAlphaZ);

  EXPECT_FALSE(view.OnKeyDown(0, 0, 'q' - 82, nullptr)); // never reported as handled
  TypeKeys(view, "uen");
  EXPECT_FALSE(view.GetMirrorMode());
  TypeKeys(view, "z");
  EXPECT_TRUE(view.GetMirrorMode());
  TypeKeys(view, "quenz");
  EXPECT_FALSE(view.GetMirrorMode());

  // A wrong key in between starts again...
  TypeKeys(view, "quxenz");
  EXPECT_FALSE(view.GetMirrorMode());
  // ...and a wrong key that is the code's first letter is no new start.
  TypeKeys(view, "quq");
  TypeKeys(view, "uenz");
  EXPECT_FALSE(view.GetMirrorMode());
  // After a wrong key the full code works again.
  TypeKeys(view, "qquenz"); // the second q resets, then u does not start
  EXPECT_FALSE(view.GetMirrorMode());
  TypeKeys(view, "qqquenz"); // the third q starts again
  EXPECT_TRUE(view.GetMirrorMode());
  // Other keys (not letters) reset as well.
  TypeKeys(view, "que");
  view.OnKeyDown(0, 0, 1, nullptr);
  TypeKeys(view, "nz");
  EXPECT_TRUE(view.GetMirrorMode());
}

// --- Redraw requests and camera write-back ---

TEST(CrestRenderRedraw, EveryChangeOfDataAsksTheGraphForAFrame)
{
  // Works with or without a GL context: only the graph's flags are looked at.
  GraphControl10 graph(nullptr, nullptr, IRECT(0, 0, 200, 100), 7, 0, 512, "");
  CrestRender view(nullptr, &graph, kRate);
  auto expectRedraw = [&](const char* what, auto&& change) {
    graph.SetGraphDirty(false);
    graph.SetClean();
    change();
    EXPECT_TRUE(graph.IsGraphDirty()) << what;
    EXPECT_TRUE(graph.IsDirty()) << what;
  };
  expectRedraw("AddMagns", [&] { view.AddMagns(Ramp(1024)); });
  expectRedraw("SetMode", [&] { view.SetMode(1); });
  expectRedraw("SetSpeed", [&] { view.SetSpeed(0.5); });
  expectRedraw("SetDensity", [&] { view.SetDensity(0.5); });
  expectRedraw("SetScale", [&] { view.SetScale(0.7); });
  expectRedraw("SetAngle0", [&] { view.SetAngle0(10.0); });
  expectRedraw("SetAngle1", [&] { view.SetAngle1(20.0); });
  expectRedraw("SetCamFov", [&] { view.SetCamFov(30.0); });
  view.OnMouseDown(0, 0, nullptr);
  expectRedraw("drag", [&] { view.OnMouseDrag(5, 5, 0, 0, nullptr); });
  expectRedraw("wheel", [&] { view.OnMouseWheel(0, 0, nullptr, 1.0); });
  expectRedraw("double click", [&] { view.OnMouseDblClick(0, 0, nullptr); });

  // Pressing, releasing, hovering and typing change nothing to draw.
  graph.SetGraphDirty(false);
  graph.SetClean();
  IMouseMod alt(true, false, false, false, true);
  view.OnMouseDown(0, 0, &alt);
  view.OnMouseDrag(0, 10, 0, 0, &alt); // the first Alt-drag event
  view.OnMouseUp(0, 0, nullptr);
  view.OnMouseOver(3, 3, nullptr);
  view.OnMouseOut();
  view.OnKeyDown(0, 0, kKeyAlphaA, nullptr);
  EXPECT_FALSE(graph.IsGraphDirty());
  EXPECT_FALSE(graph.IsDirty());
}
