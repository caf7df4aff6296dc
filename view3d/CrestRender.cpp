#include "view3d/CrestRender.h"

#include "framework/IMouseMod.h"
#include "graph/GraphControl10.h"
#include "view3d/CameraListener.h"
#include "view3d/LinesRender.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kAngle0Min = -90.0, kAngle0Max = 90.0;
constexpr double kAngle1Min = 15.0, kAngle1Max = 90.0;
constexpr double kDefaultAngle0 = 0.0, kDefaultAngle1 = 15.0, kDefaultFov = 45.0;
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
  mLines->SetCameraAngles(kDefaultAngle0, kDefaultAngle1);

  // Room for the analysis's 1024 magnitudes so that the first spectra
  // arriving on the audio thread do not allocate either.
  const int n = LinesRender::kStartLineSize;
  mWarped.Reserve(n);
  mMirrorA.Reserve(n);
  mMirrorB.Reserve(n);
  mResampleScratch.Reserve(n);
  mMelI0.Reserve(n);
  mMelI1.Reserve(n);
  mMelT.Reserve(n);
}

CrestRender::~CrestRender() { delete mLines; }

void CrestRender::RequestRedraw()
{
  if (!mGraph)
    return;
  mGraph->SetGraphDirty(true);
  mGraph->SetDirty(true);
}

// --- Spectrum to line ---

void CrestRender::AddMagns(const WDL_TypedBuf<double>& magns)
{
  // Lines the speed setting drops are never built.
  if (std::vector<Point3D>* slot = mLines->NextLineSlot())
    MagnsToPoints(magns, slot);
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
  MelWarpCached(magns, hzPerValue, &mWarped);
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
  const int n = in.GetSize();
  out->Resize(n);
  out->Zero();
  const double maxFreq = (n - 1) * hzPerValue;
  if (!(maxFreq >= 1e-15))
    return;
  const double melMax = 2595.0 * std::log10(1.0 + maxFreq / 700.0);
  for (int i = 0; i < n; i++)
  {
    const double pos = MelSourcePosition(i, n, maxFreq, melMax);
    const int i0 = static_cast<int>(pos);
    const int i1 = static_cast<int>(pos + 1.0);
    if (i0 < n && i1 < n)
    {
      const double t = pos - i0;
      (*out)[i] = (1.0 - t) * in[i0] + t * in[i1];
    }
  }
}

void CrestRender::MelWarpCached(const WDL_TypedBuf<double>& in, double hzPerValue, WDL_TypedBuf<double>* out)
{
  const int n = in.GetSize();
  if (n != mMelSize || hzPerValue != mMelHz)
  {
    // The same positions as MelWarp's, so the values match it exactly.
    mMelSize = n;
    mMelHz = hzPerValue;
    mMelI0.Resize(n);
    mMelI1.Resize(n);
    mMelT.Resize(n);
    const double maxFreq = (n - 1) * hzPerValue;
    const bool usable = maxFreq >= 1e-15;
    const double melMax = usable ? 2595.0 * std::log10(1.0 + maxFreq / 700.0) : 0.0;
    for (int i = 0; i < n; i++)
    {
      mMelI0[i] = -1;
      if (!usable)
        continue;
      const double pos = MelSourcePosition(i, n, maxFreq, melMax);
      const int i0 = static_cast<int>(pos);
      const int i1 = static_cast<int>(pos + 1.0);
      if (i0 < n && i1 < n)
      {
        mMelI0[i] = i0;
        mMelI1[i] = i1;
        mMelT[i] = pos - i0;
      }
    }
  }

  out->Resize(n);
  for (int i = 0; i < n; i++)
  {
    const int i0 = mMelI0[i];
    if (i0 < 0)
    {
      (*out)[i] = 0.0;
      continue;
    }
    const double t = mMelT[i];
    (*out)[i] = (1.0 - t) * in[i0] + t * in[mMelI1[i]];
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
  const double a0 = std::min(kAngle0Max, std::max(kAngle0Min, GetAngle0() + dx));
  const double a1 = std::min(kAngle1Max, std::max(kAngle1Min, GetAngle1() + dy));
  mAngle0.store(a0, std::memory_order_relaxed);
  mAngle1.store(a1, std::memory_order_relaxed);
  mLines->SetCameraAngles(a0, a1);
  RequestRedraw();
  if (mPlug)
    mPlug->UpdateCameraAngles(a0, a1);
}

bool CrestRender::OnMouseDblClick(int, int, IMouseMod*)
{
  mAngle0.store(kDefaultAngle0, std::memory_order_relaxed);
  mAngle1.store(kDefaultAngle1, std::memory_order_relaxed);
  mLines->SetCameraAngles(kDefaultAngle0, kDefaultAngle1);
  mLines->ResetCamFov();
  RequestRedraw();
  if (mPlug)
  {
    mPlug->UpdateCameraAngles(kDefaultAngle0, kDefaultAngle1);
    mPlug->UpdateCamFov(kDefaultFov);
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
