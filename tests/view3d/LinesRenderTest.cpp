// The drawer's history, settings, sampling and projection, without GL.
#include "view3d/LinesRender.h"

#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
// A full-width line of constant height, as the view hands them in.
std::vector<Point3D> FlatLine(double height, int n = 1024)
{
  std::vector<Point3D> line(static_cast<size_t>(n));
  for (int i = 0; i < n; i++)
  {
    line[static_cast<size_t>(i)].x = static_cast<double>(i) / n - 0.5;
    line[static_cast<size_t>(i)].y = height;
  }
  return line;
}

// History line h gets height h + 1 (oldest first).
void FillNumberedHistory(LinesRender& lines)
{
  for (int k = 0; k < LinesRender::kMaxNumLines; k++)
    lines.AddPoints(FlatLine(k + 1.0));
}

// The drawing line the sampling should give for history line h, before and
// after projection through the drawer's own camera.
std::vector<Point3D> ExpectedLine(const LinesRender& lines, int h, int pointsPerLine, double z, double scale,
                                  int width, int height)
{
  const std::vector<Point3D>& src = lines.GetHistoryLine(h);
  std::vector<Point3D> out(static_cast<size_t>(pointsPerLine));
  for (int pi = 0; pi < pointsPerLine; pi++)
  {
    const size_t idx = static_cast<size_t>(src.size() * pi / pointsPerLine);
    out[static_cast<size_t>(pi)] = {src[idx].x, src[idx].y * scale, z};
  }
  lines.ProjectPoints(out.data(), pointsPerLine, width, height);
  return out;
}

void ExpectProjectedLine(const LinesRender& lines, int li, const std::vector<Point3D>& expected)
{
  ASSERT_EQ(lines.GetProjectedLineSize(li), static_cast<int>(expected.size())) << "line " << li;
  const Point3D* got = lines.GetProjectedLine(li);
  for (size_t i = 0; i < expected.size(); i++)
  {
    ASSERT_DOUBLE_EQ(got[i].x, expected[i].x) << "line " << li << " point " << i;
    ASSERT_DOUBLE_EQ(got[i].y, expected[i].y) << "line " << li << " point " << i;
    ASSERT_DOUBLE_EQ(got[i].z, expected[i].z) << "line " << li << " point " << i;
  }
}

// --- Independent double-precision camera for the default view ---

struct V3
{
  double x, y, z;
};
V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Unit(V3 v)
{
  const double l = std::sqrt(Dot(v, v));
  return {v.x / l, v.y / l, v.z / l};
}

// Screen position of a world point: lifted by 0.83, turned by angle0 about
// y, scaled by 1.3, lowered by 0.65, seen from the eye at elevation angle1
// through a frustum of fov with near 0.1 and far 100.
V3 ReferenceProject(V3 p, double angle0, double angle1, double fov, int width, int height)
{
  const double th = angle0 * 0.017453292;
  V3 m = {p.x, p.y + 0.83, p.z};
  m = {std::cos(th) * m.x + std::sin(th) * m.z, m.y, -std::sin(th) * m.x + std::cos(th) * m.z};
  m = {1.3 * m.x, 1.3 * m.y - 0.65, 1.3 * m.z};

  const double a = angle1 * 0.017444444444444446;
  const V3 eye = {0.0, 2.033937 * std::sin(a), 2.033937 * std::cos(a)};
  const V3 f = Unit(Sub({0.0, 0.37, 0.0}, eye));
  const V3 s = Unit(Cross(f, {0.0, 1.0, 0.0}));
  const V3 u = Cross(s, f);
  const V3 d = Sub(m, eye);
  const V3 e = {Dot(s, d), Dot(u, d), -Dot(f, d)};

  const double top = 0.1 * std::tan(fov * 0.5 * M_PI / 180.0);
  const double right = top * width / height;
  const double n = 0.1, fa = 100.0;
  const double cx = n / right * e.x;
  const double cy = n / top * e.y;
  const double cz = -(fa + n) / (fa - n) * e.z - 2.0 * fa * n / (fa - n);
  const double cw = -e.z;
  return {(cx / cw + 1.0) * 0.5 * width, (cy / cw + 1.0) * 0.5 * height, (cz / cw + 1.0) * 0.5};
}
} // namespace

TEST(LinesRender, StartsWithDefaultsAndThirtyTwoFlatLines)
{
  LinesRender lines;
  EXPECT_EQ(lines.GetMode(), 2);
  EXPECT_EQ(lines.GetDensity(), 16);
  EXPECT_DOUBLE_EQ(lines.GetScale(), 0.5);
  EXPECT_EQ(lines.GetSpeedDivisor(), 1);
  EXPECT_DOUBLE_EQ(lines.GetCamFov(), 45.0);
  EXPECT_DOUBLE_EQ(lines.GetAngle0(), 0.0);
  EXPECT_DOUBLE_EQ(lines.GetAngle1(), 0.0);
  EXPECT_EQ(lines.GetWhiteImage(), -1);
  ASSERT_EQ(lines.GetNumHistoryLines(), 32);
  for (int h = 0; h < 32; h++)
  {
    const std::vector<Point3D>& line = lines.GetHistoryLine(h);
    ASSERT_EQ(line.size(), 1024u);
    for (int i = 0; i < 1024; i += 97)
    {
      EXPECT_DOUBLE_EQ(line[static_cast<size_t>(i)].x, i / 1024.0 - 0.5);
      EXPECT_EQ(line[static_cast<size_t>(i)].y, 0.0);
      EXPECT_EQ(line[static_cast<size_t>(i)].z, 0.0);
    }
  }
  EXPECT_TRUE(lines.GetHistoryLine(32).empty());
  EXPECT_TRUE(lines.GetHistoryLine(-1).empty());
}

TEST(LinesRender, HistoryKeepsTheNewestThirtyTwoOldestFirst)
{
  LinesRender lines;
  for (int k = 0; k < 40; k++)
    lines.AddPoints(FlatLine(k + 1.0));
  EXPECT_EQ(lines.GetAddCount(), 40);
  for (int h = 0; h < 32; h++)
    EXPECT_EQ(lines.GetHistoryLine(h)[0].y, 9.0 + h) << h;
}

TEST(LinesRender, SpeedSetsHowManyOfTheOfferedLinesEnter)
{
  LinesRender lines;
  lines.SetSpeed(0.0);
  EXPECT_EQ(lines.GetSpeedDivisor(), 8);
  for (int k = 0; k < 8; k++)
    lines.AddPoints(FlatLine(k + 1.0));
  // Only the first of the eight entered: it is the newest, the rest still flat.
  EXPECT_EQ(lines.GetHistoryLine(31)[0].y, 1.0);
  EXPECT_EQ(lines.GetHistoryLine(30)[0].y, 0.0);
  lines.AddPoints(FlatLine(100.0));
  EXPECT_EQ(lines.GetHistoryLine(31)[0].y, 100.0);
  EXPECT_EQ(lines.GetHistoryLine(30)[0].y, 1.0);

  lines.SetSpeed(0.5);
  EXPECT_EQ(lines.GetSpeedDivisor(), 4);

  LinesRender every;
  every.SetSpeed(1.0);
  EXPECT_EQ(every.GetSpeedDivisor(), 1);
  for (int k = 0; k < 8; k++)
    every.AddPoints(FlatLine(k + 1.0));
  for (int k = 0; k < 8; k++)
    EXPECT_EQ(every.GetHistoryLine(24 + k)[0].y, k + 1.0);
}

TEST(LinesRender, SettersMapDensityAndStoreTheRest)
{
  LinesRender lines;
  lines.SetDensity(0.0);
  EXPECT_EQ(lines.GetDensity(), 16);
  lines.SetDensity(0.5);
  EXPECT_EQ(lines.GetDensity(), 40);
  lines.SetDensity(1.0);
  EXPECT_EQ(lines.GetDensity(), 64);
  lines.SetScale(2.5);
  EXPECT_DOUBLE_EQ(lines.GetScale(), 2.5);
  lines.SetMode(1);
  EXPECT_EQ(lines.GetMode(), 1);
  lines.SetCameraAngles(-120.0, 200.0);
  EXPECT_DOUBLE_EQ(lines.GetAngle0(), -120.0);
  EXPECT_DOUBLE_EQ(lines.GetAngle1(), 200.0);
}

TEST(LinesRender, ZoomKeepsTheFieldOfViewWithinRangeAndSetStoresAnyValue)
{
  LinesRender lines;
  lines.ZoomCamFov(1.025);
  EXPECT_NEAR(lines.GetCamFov(), 45.0 / 1.025, 1e-12);
  for (int i = 0; i < 200; i++)
    lines.ZoomCamFov(1.1);
  EXPECT_DOUBLE_EQ(lines.GetCamFov(), 15.0);
  for (int i = 0; i < 200; i++)
    lines.ZoomCamFov(0.9);
  EXPECT_DOUBLE_EQ(lines.GetCamFov(), 45.0);
  lines.ZoomCamFov(0.5);
  EXPECT_DOUBLE_EQ(lines.GetCamFov(), 45.0);

  lines.SetCamFov(5.0);
  EXPECT_DOUBLE_EQ(lines.GetCamFov(), 5.0);
  lines.SetCamFov(170.0);
  EXPECT_DOUBLE_EQ(lines.GetCamFov(), 170.0);
  lines.ResetCamFov();
  EXPECT_DOUBLE_EQ(lines.GetCamFov(), 45.0);
}

TEST(LinesRender, ProjectionMatrixHasTheFrustumElements)
{
  float mv[16], p[16];
  LinesRender::ComputeCamera(800, 400, 0.0f, 15.0f, 45.0f, mv, p);
  const double top = 0.1 * std::tan(22.5 * 0.017453292);
  EXPECT_NEAR(p[5], 0.1 / top, 1e-4);
  EXPECT_NEAR(p[0], 0.1 / (2.0 * top), 1e-4);
  EXPECT_FLOAT_EQ(p[10], -1.002002f);
  EXPECT_FLOAT_EQ(p[11], -1.0f);
  EXPECT_FLOAT_EQ(p[14], -0.2002002f);
  for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15})
    EXPECT_EQ(p[i], 0.0f) << i;
}

TEST(LinesRender, ProjectsKnownPointsLikeAnIndependentDoubleCamera)
{
  const int width = 800, height = 410;
  const V3 world[] = {{0.0, 0.0, 0.0},   {-0.5, 0.0, 0.5}, {0.5, 0.0, 0.5}, {-0.5, 0.0, -0.5},
                      {0.49, 0.3, -0.2}, {0.1, 1.2, 0.25}, {0.0, 0.0, -0.5}};
  struct Camera
  {
    double a0, a1, fov;
  } const cameras[] = {{0.0, 15.0, 45.0}, {40.0, 60.0, 30.0}, {-90.0, 90.0, 15.0}};
  for (const Camera& cam : cameras)
  {
    LinesRender lines;
    lines.SetCameraAngles(cam.a0, cam.a1);
    lines.SetCamFov(cam.fov);
    for (const V3& w : world)
    {
      Point3D p{w.x, w.y, w.z};
      lines.ProjectPoints(&p, 1, width, height);
      const V3 ref = ReferenceProject(w, cam.a0, cam.a1, cam.fov, width, height);
      // Single precision: about 1e-6 relative, more for points far off screen.
      EXPECT_NEAR(p.x, ref.x, 0.02 + 1e-5 * std::fabs(ref.x)) << cam.a0 << " " << w.x << "," << w.y << "," << w.z;
      EXPECT_NEAR(p.y, ref.y, 0.02 + 1e-5 * std::fabs(ref.y)) << cam.a0 << " " << w.x << "," << w.y << "," << w.z;
      EXPECT_NEAR(p.z, ref.z, 1e-5 * (1.0 + std::fabs(ref.z))) << cam.a0 << " " << w.x << "," << w.y << "," << w.z;
    }
  }
}

TEST(LinesRender, DefaultCameraShowsTheLandscapeUprightWithTheOldestLineInFront)
{
  LinesRender lines;
  lines.SetCameraAngles(0.0, 15.0);
  Point3D p[4] = {{-0.5, 0.0, 0.5}, {0.5, 0.0, 0.5}, {-0.5, 0.0, -0.5}, {-0.5, 0.2, 0.5}};
  lines.ProjectPoints(p, 4, 800, 410);
  EXPECT_LT(p[0].x, p[1].x);      // low frequencies left
  EXPECT_LT(p[0].y, p[2].y);      // the front row lower in renderer y (nearer the bottom)
  EXPECT_LT(p[0].z, p[2].z);      // and nearer the eye
  EXPECT_GT(p[3].y, p[0].y);      // height grows with renderer y
  EXPECT_LT(p[2].x - 400.0, 0.0); // the back row narrower than the front
  EXPECT_GT(p[2].x, p[0].x);
  for (const Point3D& q : p)
  {
    EXPECT_GT(q.x, 0.0);
    EXPECT_LT(q.x, 800.0);
    EXPECT_GT(q.y, 0.0);
    EXPECT_LT(q.y, 410.0);
  }
}

TEST(LinesRender, ClipWOfAtMostOneEMinusEightIsNotDivided)
{
  float mvp[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const Point3D in{0.2, -0.4, 0.6};

  // w from the point: row 3 = (0, 0, 0, w).
  for (float w : {0.0f, 1e-9f, -1e-9f})
  {
    mvp[15] = w;
    Point3D p = in;
    LinesRender::ProjectPoints(&p, 1, 100, 50, mvp);
    EXPECT_NEAR(p.x, (0.2 + 1.0) * 0.5 * 100, 1e-5) << w;
    EXPECT_NEAR(p.y, (-0.4 + 1.0) * 0.5 * 50, 1e-5) << w;
    EXPECT_NEAR(p.z, (0.6 + 1.0) * 0.5, 1e-6) << w;
  }
  mvp[15] = 2.0f;
  Point3D p = in;
  LinesRender::ProjectPoints(&p, 1, 100, 50, mvp);
  EXPECT_NEAR(p.x, (0.1 + 1.0) * 0.5 * 100, 1e-5);
  EXPECT_NEAR(p.y, (-0.2 + 1.0) * 0.5 * 50, 1e-5);
  EXPECT_NEAR(p.z, (0.3 + 1.0) * 0.5, 1e-6);
}

TEST(LinesRender, ProjectLinesSamplesTheHistoryByModeAndDensity)
{
  const int width = 800, height = 410;
  LinesRender lines;
  lines.SetCameraAngles(0.0, 15.0);
  lines.SetScale(0.25);
  FillNumberedHistory(lines);

  // Mode 0, density 16: 16 lines of 256 points from history lines 0, 2, ... 30.
  lines.SetMode(0);
  lines.SetDensity(0.0);
  lines.ProjectLines(width, height);
  ASSERT_EQ(lines.GetNumProjectedLines(), 16);
  for (int li = 0; li < 16; li++)
    ExpectProjectedLine(lines, li, ExpectedLine(lines, 2 * li, 256, 0.5 - li / 16.0, 0.25, width, height));

  // Mode 1, density 16: 64 lines of 16 points, each history line at two
  // neighbouring depths.
  lines.SetMode(1);
  lines.ProjectLines(width, height);
  ASSERT_EQ(lines.GetNumProjectedLines(), 64);
  for (int li = 0; li < 64; li++)
    ExpectProjectedLine(lines, li, ExpectedLine(lines, li / 2, 16, 0.5 - li / 64.0, 0.25, width, height));

  // Mode 2, density 64: 64 lines of 64 points, history lines repeating.
  lines.SetMode(2);
  lines.SetDensity(1.0);
  lines.ProjectLines(width, height);
  ASSERT_EQ(lines.GetNumProjectedLines(), 64);
  for (int li = 0; li < 64; li++)
    ExpectProjectedLine(lines, li, ExpectedLine(lines, li / 2, 64, 0.5 - li / 64.0, 0.25, width, height));

  // Mode 0, density 40: 40 lines, history line trunc(32 li / 40).
  lines.SetMode(0);
  lines.SetDensity(0.5);
  lines.ProjectLines(width, height);
  ASSERT_EQ(lines.GetNumProjectedLines(), 40);
  for (int li = 0; li < 40; li++)
    ExpectProjectedLine(lines, li, ExpectedLine(lines, 32 * li / 40, 256, 0.5 - li / 40.0, 0.25, width, height));

  // Sampling leaves the history as it was.
  for (int h = 0; h < 32; h++)
  {
    EXPECT_EQ(lines.GetHistoryLine(h)[0].y, h + 1.0);
    EXPECT_EQ(lines.GetHistoryLine(h)[0].z, 0.0);
  }
}

TEST(LinesRender, EmptyAndShortLinesAreSampledWithinTheirLength)
{
  LinesRender lines;
  lines.SetCameraAngles(0.0, 15.0);
  for (int k = 0; k < 31; k++)
    lines.AddPoints(FlatLine(1.0));
  lines.AddPoints({}); // newest: empty
  std::vector<Point3D> shortLine = {{-0.4, 1.0, 0.0}, {0.0, 2.0, 0.0}, {0.3, 3.0, 0.0}};
  lines.AddPoints(shortLine); // pushes out the oldest; now at 31, empty at 30

  for (int mode : {0, 1, 2})
  {
    lines.SetMode(mode);
    lines.SetDensity(1.0);
    lines.ProjectLines(400, 200);
    const int n = lines.GetNumProjectedLines();
    ASSERT_EQ(n, 64);
    // Drawing lines 60, 61 come from history line 30 (empty), 62, 63 from 31.
    EXPECT_EQ(lines.GetProjectedLineSize(60), 0) << mode;
    EXPECT_EQ(lines.GetProjectedLineSize(61), 0) << mode;
    const int ppl = mode == 0 ? 256 : 64;
    ASSERT_EQ(lines.GetProjectedLineSize(62), ppl) << mode;
    ExpectProjectedLine(lines, 63, ExpectedLine(lines, 31, ppl, 0.5 - 63 / 64.0, 0.5, 400, 200));
  }
}

TEST(LinesRender, HistoryAndSamplingDoNotAllocateInSteadyState)
{
  LinesRender lines;
  lines.SetMode(0);
  lines.SetDensity(1.0);
  const std::vector<Point3D> line = FlatLine(0.3);
  {
    AllocationCounter counter;
    for (int k = 0; k < 100; k++)
      lines.AddPoints(line);
    for (int mode : {0, 1, 2})
    {
      lines.SetMode(mode);
      lines.ProjectLines(800, 410);
    }
    EXPECT_EQ(counter.Count(), 0u);
  }
}
