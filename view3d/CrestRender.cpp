#include "view3d/CrestRender.h"

#include "framework/IMouseMod.h"
#include "graph/GraphControl10.h"
#include "view3d/CameraListener.h"
#include "view3d/CameraRange.h"
#include "view3d/LinesRender.h"

#include <algorithm>
#include <cmath>

namespace
{
using CR = CameraRange;
constexpr int kMirrorCodeLength = 5;

// Where MelWarp's output value i reads its input: the position on the
// linear axis of the frequency at mel i / n of melMax.
double MelSourcePosition(int i, int n, double maxFreq, double melMax)
{
  const double f = 700.0 * (std::pow(10.0, i * melMax / n / 2595.0) - 1.0);
  return f / maxFreq * n;
}
} // namespace

CrestRender::CrestRender(CameraListener* plug, GraphControl10* graph, double sampleRate)
  : mPlug(plug), mGraph(graph), mLines(new LinesRender()), mSampleRate(sampleRate)
{
  if (mGraph)
  {
    mGraph->AddCustomDrawer(mLines);
    mGraph->AddCustomControl(this);
  }
  mLines->SetCameraAngles(CR::kAngle0Rest, CR::kAngle1Rest);

  // Room for the analysis's 1024 magnitudes so that the first spectra
  // arriving on the audio thread do not allocate either.
  const int n = LinesRender::kStartLineSize;
  mWarped.Reserve(n);
  mMirrorA.Reserve(n);
  mMirrorB.Reserve(n);
  mResampleScratch.Reserve(n);
  mPoints.reserve(static_cast<size_t>(n));
  mMel.i0.Reserve(n);
  mMel.i1.Reserve(n);
  mMel.t.Reserve(n);
}

CrestRender::~CrestRender() { delete mLines; }

void CrestRender::RequestRedraw()
{
  if (!mGraph)
    return;
  // Any thread: flags only; the editor's thread does the rest at its sync.
  mGraph->SetGraphDirty(true);
  mGraph->RequestRedraw();
}

// --- Spectrum to line ---

void CrestRender::AddMagns(const WDL_TypedBuf<double>& magns)
{
  // Lines the speed setting drops are never built.
  if (mLines->NextLineEnters())
  {
    MagnsToPoints(magns, &mPoints);
    mLines->AddPoints(mPoints);
  }
  else
    mLines->SkipLine();
  mFrameCount = mFrameCount + 1;
  RequestRedraw();
}

void CrestRender::MagnsToPoints(const WDL_TypedBuf<double>& magns, std::vector<Point3D>* points)
{
  const int n = magns.GetSize();
  if (n == 0)
  {
    points->clear();
    return;
  }
  const double hzPerValue = mSampleRate / n * 4.0;
  // Positions computed once per size and spacing.
  if (n != mMel.size || hzPerValue != mMel.hzPerValue)
    mMel.Build(n, hzPerValue);
  mMel.Apply(magns, &mWarped);
  if (GetMirrorMode())
    MirrorMagns(&mWarped, mFrameCount, mSampleRate, &mMirrorA, &mMirrorB, &mResampleScratch);

  const int m = mWarped.GetSize();
  points->resize(static_cast<size_t>(m));
  for (int i = 0; i < m; i++)
  {
    Point3D& p = (*points)[static_cast<size_t>(i)];
    p.x = static_cast<double>(i) / n - 0.5;
    p.y = mWarped[i];
    p.z = 0.0;
  }
}

void CrestRender::MelWarp(const WDL_TypedBuf<double>& in, double hzPerValue, WDL_TypedBuf<double>* out)
{
  MelTable table;
  table.Build(in.GetSize(), hzPerValue);
  table.Apply(in, out);
}

void CrestRender::MelTable::Build(int n, double hz)
{
  size = n;
  hzPerValue = hz;
  i0.Resize(n);
  i1.Resize(n);
  t.Resize(n);
  const double maxFreq = (n - 1) * hz;
  const bool usable = maxFreq >= 1e-15;
  const double melMax = usable ? 2595.0 * std::log10(1.0 + maxFreq / 700.0) : 0.0;
  for (int i = 0; i < n; i++)
  {
    i0[i] = -1;
    if (!usable)
      continue;
    const double pos = MelSourcePosition(i, n, maxFreq, melMax);
    const int a = static_cast<int>(pos);
    const int b = static_cast<int>(pos + 1.0);
    if (a < n && b < n)
    {
      i0[i] = a;
      i1[i] = b;
      t[i] = pos - a;
    }
  }
}

void CrestRender::MelTable::Apply(const WDL_TypedBuf<double>& in, WDL_TypedBuf<double>* out) const
{
  out->Resize(size);
  for (int i = 0; i < size; i++)
  {
    const int a = i0[i];
    (*out)[i] = a < 0 ? 0.0 : (1.0 - t[i]) * in[a] + t[i] * in[i1[i]];
  }
}

void CrestRender::ResampleLinear(WDL_TypedBuf<double>* buf, int m, WDL_TypedBuf<double>* scratch)
{
  if (buf->IsEmpty() || m <= 0)
    return;
  const int k = buf->GetSize();
  const double last = (*buf)[k - 1];
  scratch->Resize(m);
  scratch->Zero();
  const double step = static_cast<double>(k - 1) / m;
  double pos = 0.0;
  for (int j = 0; j < m; j++)
  {
    const int i = static_cast<int>(pos);
    const double t = pos - i;
    if (i < k - 1)
      (*scratch)[j] = (1.0 - t) * (*buf)[i] + t * (*buf)[i + 1];
    pos += step;
  }
  buf->CopyFrom(*scratch);
  (*buf)[m - 1] = last;
}

void CrestRender::MirrorMagns(WDL_TypedBuf<double>* v, uint64_t frameCount, double sampleRate,
                              WDL_TypedBuf<double>* a, WDL_TypedBuf<double>* b, WDL_TypedBuf<double>* scratch)
{
  const int n = v->GetSize();
  if (n == 0)
    return;
  a->CopyFrom(v->Get(), static_cast<int>(0.4 * n));
  ResampleLinear(a, n / 2, scratch);

  b->Resize(a->GetSize());
  std::reverse_copy(a->begin(), a->end(), b->begin());

  const uint64_t phaseSamples = frameCount * static_cast<uint64_t>(n);
  // A missing sample rate keeps the seam in the middle.
  const double s = sampleRate > 0.0 ? std::sin(static_cast<double>(phaseSamples) / sampleRate * 0.5) : 0.0;
  const double split = 0.5 + 0.25 * s;
  ResampleLinear(a, static_cast<int>(n * split), scratch);
  ResampleLinear(b, static_cast<int>(n * (1.0 - split)), scratch);

  const int sizeA = a->GetSize();
  const int sizeB = b->GetSize();
  v->Zero();
  for (int i = 0; i < n; i++)
  {
    if (i < sizeA - 1)
      (*v)[i] = (*a)[i];
    else
    {
      const int j = i - sizeA;
      (*v)[i] = (j > 0 && j < sizeB - 1) ? (*b)[j] : 0.0;
    }
  }
  for (double& x : *v)
    x *= 3.0;
}

// --- Settings from the plug-in ---

void CrestRender::SetMode(int mode)
{
  mLines->SetMode(mode);
  RequestRedraw();
}

void CrestRender::SetSpeed(double speed)
{
  mLines->SetSpeed(speed);
  RequestRedraw();
}

void CrestRender::SetDensity(double density)
{
  mLines->SetDensity(density);
  RequestRedraw();
}

void CrestRender::SetScale(double scale)
{
  mLines->SetScale(scale);
  RequestRedraw();
}

void CrestRender::SetAngle0(double angle)
{
  mAngle0.store(angle, std::memory_order_relaxed);
  mLines->SetCameraAngles(GetAngle0(), GetAngle1());
  RequestRedraw();
}

void CrestRender::SetAngle1(double angle)
{
  mAngle1.store(angle, std::memory_order_relaxed);
  mLines->SetCameraAngles(GetAngle0(), GetAngle1());
  RequestRedraw();
}

void CrestRender::SetCamFov(double fov)
{
  mLines->SetCamFov(fov);
  RequestRedraw();
}

// --- Mouse and keys ---

void CrestRender::OnMouseDown(int x, int y, IMouseMod*)
{
  mPrevX = x;
  mPrevY = y;
  mDragStarted = false;
}

void CrestRender::OnMouseUp(int, int, IMouseMod*) {}

void CrestRender::OnMouseDrag(int x, int y, int, int, IMouseMod* mod)
{
  if (mod && mod->A)
  {
    // Zooming: the previous y is kept in mPrevX; the first event only
    // records where the drag starts.
    if (!mDragStarted)
    {
      mDragStarted = true;
      mPrevX = y;
      return;
    }
    const double d = -0.2 * (y - mPrevX);
    mPrevX = y;
    ZoomWith(d);
    return;
  }

  mDragStarted = true;
  const int dx = x - mPrevX;
  const int dy = y - mPrevY;
  mPrevX = x;
  mPrevY = y;
  const double a0 = std::min(CR::kAngle0Max, std::max(CR::kAngle0Min, GetAngle0() + dx));
  const double a1 = std::min(CR::kAngle1Max, std::max(CR::kAngle1Min, GetAngle1() + dy));
  mAngle0.store(a0, std::memory_order_relaxed);
  mAngle1.store(a1, std::memory_order_relaxed);
  mLines->SetCameraAngles(a0, a1);
  RequestRedraw();
  if (mPlug)
    mPlug->UpdateCameraAngles(a0, a1);
}

bool CrestRender::OnMouseDblClick(int, int, IMouseMod*)
{
  mAngle0.store(CR::kAngle0Rest, std::memory_order_relaxed);
  mAngle1.store(CR::kAngle1Rest, std::memory_order_relaxed);
  mLines->SetCameraAngles(CR::kAngle0Rest, CR::kAngle1Rest);
  mLines->ResetCamFov();
  RequestRedraw();
  if (mPlug)
  {
    mPlug->UpdateCameraAngles(CR::kAngle0Rest, CR::kAngle1Rest);
    mPlug->UpdateCamFov(CR::kFovRest);
  }
  return true;
}

void CrestRender::OnMouseWheel(int, int, IMouseMod*, double d) { ZoomWith(d); }

void CrestRender::ZoomWith(double d)
{
  mLines->ZoomCamFov(1.0 + 0.025 * d);
  RequestRedraw();
  if (mPlug)
    mPlug->UpdateCamFov(mLines->GetCamFov());
}

bool CrestRender::OnKeyDown(int, int, int key, IMouseMod*)
{
  const int letter = key + kKeyToLowercase;
  if (mCodePos < kMirrorCodeLength && letter == kMirrorCode[mCodePos])
    mCodePos++;
  else
    mCodePos = 0;
  if (mCodePos == kMirrorCodeLength)
  {
    mMirrorMode.store(!GetMirrorMode(), std::memory_order_relaxed);
    mCodePos = 0;
  }
  return false;
}

void CrestRender::OnMouseOver(int, int, IMouseMod*) {}
void CrestRender::OnMouseOut() {}
