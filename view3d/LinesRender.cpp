#include "view3d/LinesRender.h"

#include "graph/NanoVGExt.h"
#include "view3d/CameraRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
// Toward zero, with NaN and out-of-range values kept from being undefined.
int TruncToInt(double v)
{
  if (!(v == v))
    return 0;
  const double lim = static_cast<double>(std::numeric_limits<int>::max());
  return static_cast<int>(std::max(-lim, std::min(lim, v)));
}

// Drawing lines and points per line beyond this are not drawn; the
// parameters give at most 64.
constexpr int kMaxDrawCount = 256;
// Mode 0's points per line and mode 1's number of lines.
constexpr int kFreqLinePoints = 256;
constexpr int kTimeLines = 64;

const int kWideColor[4] = {128, 128, 255, 255};
const int kNarrowColor[4] = {255, 255, 255, 255};

struct Vec3f
{
  float x, y, z;
};

Vec3f Sub(const Vec3f& a, const Vec3f& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3f Cross(const Vec3f& a, const Vec3f& b)
{
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const Vec3f& a, const Vec3f& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3f Normalize(const Vec3f& v)
{
  const float len = std::sqrt(Dot(v, v));
  if (len <= 0.0f)
    return v;
  const float inv = 1.0f / len;
  return {v.x * inv, v.y * inv, v.z * inv};
}

void Identity(float m[16])
{
  std::fill(m, m + 16, 0.0f);
  m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void Translation(float x, float y, float z, float m[16])
{
  Identity(m);
  m[12] = x;
  m[13] = y;
  m[14] = z;
}

void Scaling(float s, float m[16])
{
  Identity(m);
  m[0] = m[5] = m[10] = s;
}

// Axis-angle rotation, angle in degrees.
void Rotation(float degrees, Vec3f axis, float m[16])
{
  const float rad = degrees * 0.017453292f;
  const float c = std::cos(rad);
  const float s = std::sin(rad);
  const float t = 1.0f - c;
  axis = Normalize(axis);
  const float x = axis.x, y = axis.y, z = axis.z;
  Identity(m);
  m[0] = t * x * x + c;
  m[1] = t * x * y + s * z;
  m[2] = t * x * z - s * y;
  m[4] = t * x * y - s * z;
  m[5] = t * y * y + c;
  m[6] = t * y * z + s * x;
  m[8] = t * x * z + s * y;
  m[9] = t * y * z - s * x;
  m[10] = t * z * z + c;
}

// The ring's points are read while the audio thread may write them (a copy
// that raced is thrown away and taken again), so every access is atomic:
// release stores after the line's announcement, acquire loads before the
// reader's check of it (plain moves on x86).
double LoadAcquire(const double& from)
{
  double v;
  __atomic_load(&from, &v, __ATOMIC_ACQUIRE);
  return v;
}

void StoreRelease(double& to, double v) { __atomic_store(&to, &v, __ATOMIC_RELEASE); }

Point3D LoadPoint(const Point3D& p) { return {LoadAcquire(p.x), LoadAcquire(p.y), LoadAcquire(p.z)}; }

NVGcolor ToRendererColor(const int c[4])
{
  // The graph's colour hand-over: components 0 and 2 change places.
  return nvgRGBA(static_cast<unsigned char>(c[2]), static_cast<unsigned char>(c[1]), static_cast<unsigned char>(c[0]),
                 static_cast<unsigned char>(c[3]));
}
} // namespace

struct LinesRender::RingLine
{
  Point3D points[kLineCapacity];
  std::atomic<int> size{0};
};

LinesRender::LinesRender() : mRing(std::make_unique<RingLine[]>(kRingLines))
{
  // The start lines are published before any other thread sees the drawer.
  for (int h = 0; h < kMaxNumLines; h++)
  {
    RingLine& line = mRing[static_cast<size_t>(h)];
    for (int i = 0; i < kStartLineSize; i++)
      line.points[i] = {static_cast<double>(i) / kStartLineSize - 0.5, 0.0, 0.0};
    line.size.store(kStartLineSize, std::memory_order_relaxed);
  }
  mProjSizes.resize(kTimeLines);
  mProjPoints.resize(static_cast<size_t>(kTimeLines) * kFreqLinePoints);
}

LinesRender::~LinesRender() = default;

bool LinesRender::NextLineEnters() const
{
  const int divisor = mSpeedDivisor.load(std::memory_order_relaxed);
  return divisor == 0 || mAddCount.load(std::memory_order_relaxed) % divisor == 0;
}

void LinesRender::AddPoints(const std::vector<Point3D>& line)
{
  const bool enters = NextLineEnters();
  SkipLine();
  if (!enters)
    return;

  // The newest line replaces the oldest: announced, written, published.
  const int64_t j = mLinesIn.load(std::memory_order_relaxed);
  mLinesStarted.store(j + 1, std::memory_order_relaxed);
  RingLine& slot = mRing[static_cast<size_t>(j % kRingLines)];
  const int n = static_cast<int>(std::min<size_t>(line.size(), kLineCapacity));
  for (int i = 0; i < n; i++)
  {
    StoreRelease(slot.points[i].x, line[static_cast<size_t>(i)].x);
    StoreRelease(slot.points[i].y, line[static_cast<size_t>(i)].y);
    StoreRelease(slot.points[i].z, line[static_cast<size_t>(i)].z);
  }
  slot.size.store(n, std::memory_order_release);
  mLinesIn.store(j + 1, std::memory_order_release);
}

const LinesRender::RingLine& LinesRender::Slot(int64_t linesIn, int h) const
{
  return mRing[static_cast<size_t>((linesIn - kMaxNumLines + h) % kRingLines)];
}

template <typename Read>
int64_t LinesRender::ReadHistory(Read&& read) const
{
  for (;;)
  {
    const int64_t linesIn = mLinesIn.load(std::memory_order_acquire);
    read(linesIn);
    // The copy holds if the writer has not started on a slot of lines
    // linesIn - 32 .. linesIn - 1, that is on line linesIn + kSpareLines. A
    // value read from a line being written synchronises with its
    // announcement, so the check below sees it.
    if (mLinesStarted.load(std::memory_order_relaxed) <= linesIn + kSpareLines)
      return linesIn;
  }
}

std::vector<Point3D> LinesRender::GetHistoryLine(int h) const
{
  std::vector<Point3D> copy;
  if (h < 0 || h >= kMaxNumLines)
    return copy;
  copy.reserve(kLineCapacity);
  ReadHistory([&](int64_t linesIn) {
    const RingLine& line = Slot(linesIn, h);
    const int n = line.size.load(std::memory_order_acquire);
    copy.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; i++)
      copy[static_cast<size_t>(i)] = LoadPoint(line.points[i]);
  });
  return copy;
}

void LinesRender::SetCameraAngles(double angle0, double angle1)
{
  mAngle0.store(angle0, std::memory_order_relaxed);
  mAngle1.store(angle1, std::memory_order_relaxed);
}

void LinesRender::SetCamFov(double fov) { mCamFov.store(fov, std::memory_order_relaxed); }

void LinesRender::ZoomCamFov(double zoom)
{
  const double fov = GetCamFov() / zoom;
  mCamFov.store(std::min(CameraRange::kFovMax, std::max(CameraRange::kFovMin, fov)), std::memory_order_relaxed);
}

void LinesRender::ResetCamFov() { mCamFov.store(CameraRange::kFovRest, std::memory_order_relaxed); }

void LinesRender::SetMode(int mode) { mMode.store(mode, std::memory_order_relaxed); }

void LinesRender::SetDensity(double d)
{
  mDensity.store(TruncToInt(d * 64.0 + (1.0 - d) * 16.0), std::memory_order_relaxed);
}

void LinesRender::SetScale(double s) { mScale.store(s, std::memory_order_relaxed); }

void LinesRender::SetSpeed(double s)
{
  mSpeedDivisor.store(TruncToInt((1.0 - s) * 8.0 + (1.0 - (1.0 - s))), std::memory_order_relaxed);
}

int LinesRender::GetProjectedLineSize(int li) const
{
  if (li < 0 || li >= mNumProjLines)
    return 0;
  return mProjSizes[static_cast<size_t>(li)];
}

const Point3D* LinesRender::GetProjectedLine(int li) const
{
  if (li < 0 || li >= mNumProjLines)
    return nullptr;
  return mProjPoints.data() + static_cast<size_t>(li) * static_cast<size_t>(mProjStride);
}

void LinesRender::ComputeCamera(int width, int height, float angle0, float angle1, float fov, float modelView[16],
                                float projection[16])
{
  // View: look-at from an eye on a circle around the origin, raised by angle1.
  const float a = static_cast<float>(static_cast<double>(angle1) * 0.017444444444444446);
  const float radius = 2.033937f;
  const Vec3f eye = {0.0f, radius * std::sin(a), radius * std::cos(a)};
  const Vec3f centre = {0.0f, 0.37f, 0.0f};
  const Vec3f up = {0.0f, 1.0f, 0.0f};
  const Vec3f f = Normalize(Sub(centre, eye));
  const Vec3f s = Normalize(Cross(f, up));
  const Vec3f u = Cross(s, f);
  float view[16];
  Identity(view);
  view[0] = s.x;
  view[4] = s.y;
  view[8] = s.z;
  view[1] = u.x;
  view[5] = u.y;
  view[9] = u.z;
  view[2] = -f.x;
  view[6] = -f.y;
  view[10] = -f.z;
  view[12] = -Dot(s, eye);
  view[13] = -Dot(u, eye);
  view[14] = Dot(f, eye);

  // Model: lift, turn about the vertical axis, scale, lower.
  float lower[16], scale[16], turn[16], lift[16], tmp0[16], tmp1[16], model[16];
  Translation(0.0f, -0.65f, 0.0f, lower);
  Scaling(1.3f, scale);
  Rotation(angle0, {0.0f, 1.0f, 0.0f}, turn);
  Translation(0.0f, 0.83f, 0.0f, lift);
  MultiplyMatrices(lower, scale, tmp0);
  MultiplyMatrices(tmp0, turn, tmp1);
  MultiplyMatrices(tmp1, lift, model);

  MultiplyMatrices(view, model, modelView);

  // Perspective frustum, near 0.1, far 100.
  const float zNear = 0.1f;
  const float top = zNear * std::tan(fov * 0.5f * 0.017453292f);
  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  const float right = aspect * top;
  std::fill(projection, projection + 16, 0.0f);
  projection[0] = 0.2f / (2.0f * right);
  projection[5] = 0.2f / (2.0f * top);
  projection[10] = static_cast<float>(-(100.0 + 0.1) / (100.0 - 0.1));
  projection[11] = -1.0f;
  projection[14] = static_cast<float>(-2.0 * 100.0 * 0.1 / (100.0 - 0.1));
}

void LinesRender::MultiplyMatrices(const float a[16], const float b[16], float out[16])
{
  float r[16];
  for (int c = 0; c < 4; c++)
    for (int row = 0; row < 4; row++)
    {
      float sum = 0.0f;
      for (int k = 0; k < 4; k++)
        sum += a[k * 4 + row] * b[c * 4 + k];
      r[c * 4 + row] = sum;
    }
  std::copy(r, r + 16, out);
}

void LinesRender::ProjectPoints(Point3D* points, int numPoints, int width, int height, const float mvp[16])
{
  for (int i = 0; i < numPoints; i++)
  {
    Point3D& p = points[i];
    const float x = static_cast<float>(p.x);
    const float y = static_cast<float>(p.y);
    const float z = static_cast<float>(p.z);
    double cx = mvp[0] * x + mvp[4] * y + mvp[8] * z + mvp[12];
    double cy = mvp[1] * x + mvp[5] * y + mvp[9] * z + mvp[13];
    double cz = mvp[2] * x + mvp[6] * y + mvp[10] * z + mvp[14];
    const double cw = mvp[3] * x + mvp[7] * y + mvp[11] * z + mvp[15];
    if (std::fabs(cw) > 1e-8)
    {
      const double inv = 1.0 / cw;
      cx *= inv;
      cy *= inv;
      cz *= inv;
    }
    p.x = (cx + 1.0) * 0.5 * width;
    p.y = (cy + 1.0) * 0.5 * height;
    p.z = (cz + 1.0) * 0.5;
  }
}

void LinesRender::ComputeMvp(int width, int height, float mvp[16]) const
{
  float mv[16], proj[16];
  ComputeCamera(width, height, static_cast<float>(GetAngle0()), static_cast<float>(GetAngle1()),
                static_cast<float>(GetCamFov()), mv, proj);
  MultiplyMatrices(proj, mv, mvp);
}

void LinesRender::ProjectPoints(Point3D* points, int numPoints, int width, int height) const
{
  float mvp[16];
  ComputeMvp(width, height, mvp);
  ProjectPoints(points, numPoints, width, height, mvp);
}

void LinesRender::ProjectLines(int width, int height)
{
  SampleHistory();
  ProjectSampledLines(width, height);
}

void LinesRender::SampleHistory()
{
  const int mode = GetMode();
  const int density = GetDensity();
  mProjMode = mode;
  const int pointsPerLine = std::max(0, std::min(kMaxDrawCount, mode == 0 ? kFreqLinePoints : density));
  const int numLines = std::min(kMaxDrawCount, mode == 1 ? kTimeLines : density);
  mNumProjLines = 0;
  mProjStride = pointsPerLine;
  if (numLines < 1)
    return;

  // Grows only past the densest parameter setting.
  const size_t needed = static_cast<size_t>(numLines) * static_cast<size_t>(pointsPerLine);
  if (mProjPoints.size() < needed)
    mProjPoints.resize(needed);
  if (mProjSizes.size() < static_cast<size_t>(numLines))
    mProjSizes.resize(static_cast<size_t>(numLines));
  mNumProjLines = numLines;
  const double scale = GetScale();

  mSampledLineCount = ReadHistory([&](int64_t linesIn) {
    for (int li = 0; li < numLines; li++)
    {
      const double t = static_cast<double>(li) / numLines;
      const unsigned h = static_cast<unsigned>(kMaxNumLines * t);
      const RingLine& src = Slot(linesIn, static_cast<int>(h));
      const size_t L = static_cast<size_t>(src.size.load(std::memory_order_acquire));
      // An empty history line gives an empty drawing line.
      const int count = L > 0 ? pointsPerLine : 0;
      Point3D* dst = mProjPoints.data() + static_cast<size_t>(li) * static_cast<size_t>(pointsPerLine);
      const double z = 1.0 - t - 0.5;
      for (int pi = 0; pi < count; pi++)
      {
        size_t idx = static_cast<size_t>(L * (static_cast<double>(pi) / pointsPerLine));
        idx = std::min(idx, L - 1);
        dst[pi] = LoadPoint(src.points[idx]);
        dst[pi].z = z;
        dst[pi].y = scale * dst[pi].y;
      }
      mProjSizes[static_cast<size_t>(li)] = count;
    }
  });
}

void LinesRender::ProjectSampledLines(int width, int height)
{
  float mvp[16];
  ComputeMvp(width, height, mvp);
  for (int li = 0; li < mNumProjLines; li++)
    ProjectPoints(mProjPoints.data() + static_cast<size_t>(li) * static_cast<size_t>(mProjStride),
                  mProjSizes[static_cast<size_t>(li)], width, height, mvp);
}

void LinesRender::PrepareFrame(int, int)
{
  SampleHistory();
  mSampled = true;
}

void LinesRender::PreDraw(NVGcontext* vg, int width, int height)
{
  mWidth = width;
  mHeight = height;
  // Drawn without a frame's copy (a caller holding the data itself): sample now.
  const bool sampled = mSampled;
  mSampled = false;
  if (!vg || width <= 0 || height <= 0)
    return;

  if (!sampled)
    SampleHistory();
  ProjectSampledLines(width, height);

  nvgSave(vg);
  switch (mProjMode)
  {
    case 0:
      DrawLinesFreq(vg, kWideColor, 3.0);
      DrawLinesFreq(vg, kNarrowColor, 1.0);
      break;
    case 1:
      DrawLinesTime(vg, kWideColor, 3.0);
      DrawLinesTime(vg, kNarrowColor, 1.0);
      break;
    case 2:
      DrawPoints(vg, kWideColor, 3.0);
      DrawPoints(vg, kNarrowColor, 2.0);
      break;
    default:
      break;
  }
  nvgRestore(vg);
}

void LinesRender::PostDraw(NVGcontext*, int, int) {}

void LinesRender::DrawLinesFreq(NVGcontext* vg, const int color[4], double lineWidth)
{
  if (mNumProjLines == 0)
    return;
  const NVGcolor c = ToRendererColor(color);
  nvgStrokeColor(vg, c);
  nvgFillColor(vg, c);
  nvgStrokeWidth(vg, static_cast<float>(lineWidth));
  for (int li = 0; li < mNumProjLines; li++)
  {
    const int n = GetProjectedLineSize(li);
    if (n == 0)
      continue;
    const Point3D* p = GetProjectedLine(li);
    nvgBeginPath(vg);
    nvgMoveTo(vg, static_cast<float>(p[0].x), static_cast<float>(p[0].y));
    for (int i = 1; i < n; i++)
      nvgLineTo(vg, static_cast<float>(p[i].x), static_cast<float>(p[i].y));
    nvgStroke(vg);
  }
}

void LinesRender::DrawLinesTime(NVGcontext* vg, const int color[4], double lineWidth)
{
  const NVGcolor c = ToRendererColor(color);
  nvgStrokeColor(vg, c);
  nvgFillColor(vg, c);
  nvgStrokeWidth(vg, static_cast<float>(lineWidth));
  if (mNumProjLines == 0)
    return;
  // Every non-empty drawing line has the same number of points; empty ones
  // (from empty history lines) are stepped over.
  int n = 0;
  for (int li = 0; li < mNumProjLines; li++)
    n = std::max(n, GetProjectedLineSize(li));
  for (int j = 0; j < n; j++)
  {
    nvgBeginPath(vg);
    bool first = true;
    for (int li = 0; li < mNumProjLines; li++)
    {
      if (j >= GetProjectedLineSize(li))
        continue;
      const Point3D& p = GetProjectedLine(li)[j];
      if (first)
        nvgMoveTo(vg, static_cast<float>(p.x), static_cast<float>(p.y));
      else
        nvgLineTo(vg, static_cast<float>(p.x), static_cast<float>(p.y));
      first = false;
    }
    nvgStroke(vg);
  }
}

void LinesRender::DrawPoints(NVGcontext* vg, const int color[4], double side)
{
  const NVGcolor c = ToRendererColor(color);
  nvgStrokeColor(vg, c);
  nvgFillColor(vg, c);
  if (mNumProjLines == 0)
    return;
  const double half = side * 0.5;
  for (int li = 0; li < mNumProjLines; li++)
  {
    const int n = GetProjectedLineSize(li);
    const Point3D* p = GetProjectedLine(li);
    for (int i = 0; i < n; i++)
    {
      const double x = p[i].x, y = p[i].y;
      const double corners[8] = {x - half, y - half, x + half, y - half, x + half, y + half, x - half, y + half};
      if (mWhiteImage < 0)
      {
        const unsigned char white[4] = {255, 255, 255, 255};
        mWhiteImage = nvgCreateImageRGBA(vg, 1, 1, NVG_IMAGE_NEAREST, white);
      }
      nvgQuad(vg, corners, mWhiteImage);
    }
  }
}
