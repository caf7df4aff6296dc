#include "plugin/Crest.h"

#include "dsp/BufferOps.h"
#include "dsp/CrestProcess.h"
#include "dsp/FftProcessObj14.h"
#include "dsp/Window.h"
#include "framework/IControl.h"
#include "framework/IGraphics.h"
#include "framework/PlugDescription.h"
#include "graph/GraphControl10.h"
#include "view3d/CameraRange.h"
#include "view3d/CrestRender.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr int kBufferSize = 2048;
constexpr int kOverlapping = 4;
constexpr int kOversampling = 1;

// The same test on samples not yet cleaned: a non-finite one counts as the 0
// it would be cleaned to.
bool IsSilentAsCleaned(const double* samples, int n)
{
  for (int i = 0; i < n; ++i)
    if (std::isfinite(samples[i]) && std::fabs(samples[i]) > BufferOps::kSilenceThreshold)
      return false;
  return true;
}

// The analysis copy only: NaN and infinities would spread through the FFT
// into every height of the landscape, so they count as silence.
void CopyFinite(const double* samples, int n, WDL_TypedBuf<double>& copy)
{
  copy.Resize(n);
  double* d = copy.Get();
  for (int i = 0; i < n; ++i)
    d[i] = std::isfinite(samples[i]) ? samples[i] : 0.0;
}
} // namespace

Crest::Crest()
  : IPlugBase(kNumParams, "1-1-0 2-2-0", 1, GetPlugDescription().effectName, "", GetPlugDescription().makerName,
              // The version and the four-character codes are below 2^31: an int holds them unchanged.
              static_cast<int>(GetPlugDescription().version), static_cast<int>(GetPlugDescription().productId),
              static_cast<int>(GetPlugDescription().manufacturerId), 0, false, false, false)
{
  FftProcessObj14::Init();

  auto* graphics = new IGraphics(this, kEditorWidth, kEditorHeight, 25);
  graphics->HandleMouseOver(true);
  graphics->Describe(GetPlugDescription());

  GetParam(kSpeed)->InitDouble("Speed", 50.0, 0.0, 100.0, 0.1, "%");
  GetParam(kDensity)->InitDouble("Density", 50.0, 0.0, 100.0, 0.1, "%");
  GetParam(kMode)->InitInt("Mode", 0, 0, 2);
  GetParam(kMode)->SetDisplayText(0, "LINES FREQ");
  GetParam(kMode)->SetDisplayText(1, "LINES TIME");
  GetParam(kMode)->SetDisplayText(2, "POINTS");
  GetParam(kScale)->InitDouble("Scale", 50.0, 0.0, 100.0, 0.1, "%");
  using CR = CameraRange;
  GetParam(kAngle0)->InitDouble("Angle0", CR::kAngle0Rest, CR::kAngle0Min, CR::kAngle0Max, 0.1, "\xC2\xB0");
  GetParam(kAngle1)->InitDouble("Angle1", CR::kAngle1Rest, CR::kAngle1Min, CR::kAngle1Max, 0.1, "\xC2\xB0");
  GetParam(kCamFov)->InitDouble("CamFov", CR::kFovRest, CR::kFovMin, CR::kFovMax, 0.1, "\xC2\xB0");
  GetParam(kSmallGUI)->InitInt("SmallGUI", 0, 0, 1);
  GetParam(kMediumGUI)->InitInt("MediumGUI", 0, 0, 1);
  GetParam(kBigGUI)->InitInt("BigGUI", 0, 0, 1);
  for (int idx : {kAngle0, kAngle1, kCamFov, kSmallGUI, kMediumGUI, kBigGUI})
    GetParam(idx)->SetIgnoreHostChanges(true);
  GetParam(kSmallGUI)->Set(1.0);

  CreateControls(graphics, 0, true);

  mCrestProcess = new CrestProcess(kBufferSize, kOverlapping, kOversampling, GetSampleRate());
  mCrestProcess->SetView(this);
  std::vector<ProcessObj*> objs = {mCrestProcess};
  mFftObj = new FftProcessObj14(objs, 1, 0, kBufferSize, kOverlapping, kOversampling, GetSampleRate());
  mFftObj->SetAnalysisWindow(-1, kWindowHann);
  mFftObj->SetSynthesisWindow(-1, kWindowHann);
  mFftObj->SetKeepSynthesisEnergy(-1, false);

  AttachGraphics(graphics);

  // The view starts with settings of its own; make it show what the
  // parameters say before anything else reaches it.
  for (int idx = kMode; idx <= kCamFov; ++idx)
    OnParamChange(idx);

  MakePresetFromState("-");
  SetInputBusLabel(0, "main input");
  SetOutputBusLabel(0, "output");

  // Size the audio scratch once so that blocks never allocate.
  mInCopies.resize(2);
  for (auto& buf : mInCopies)
    buf.Reserve(kMaxBlockFrames);
  mMono.resize(1);
  mMono[0].Reserve(kMaxBlockFrames);
  mRestarter.Reserve(kMaxBlockFrames);
}

Crest::~Crest()
{
  delete mFftObj;
  delete mCrestProcess;
  delete mView;
  for (IControl* button : mRetiredButtons)
    delete button;
}

void Crest::Reset()
{
  mRestarter.Rearm();
  if (mFftObj)
    mFftObj->Reset();
  if (mCrestProcess)
    mCrestProcess->Reset();
}

void Crest::OnParamChange(int paramIdx)
{
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  const double v = param->Value();
  switch (paramIdx)
  {
    case kMode:
      if (mView)
        mView->SetMode(static_cast<int>(v));
      break;
    case kSpeed:
      if (mView)
        mView->SetSpeed(v / 100.0);
      break;
    case kDensity:
      if (mView)
        mView->SetDensity(v / 100.0);
      break;
    case kScale:
      if (mView)
        mView->SetScale(v / 100.0);
      break;
    case kAngle0:
      if (mView)
        mView->SetAngle0(v);
      break;
    case kAngle1:
      if (mView)
        mView->SetAngle1(v);
      break;
    case kCamFov:
      if (mView)
        mView->SetCamFov(v);
      break;
    case kSmallGUI:
    case kMediumGUI:
    case kBigGUI:
      ChangeEditorSize(paramIdx);
      return;
    default:
      return;
  }
  RefreshParamControl(paramIdx);
}

void Crest::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  ITimeInfo time;
  GetTime(&time);
  if (time.mTransportIsRunning && !mWasPlaying)
    Reset();
  mWasPlaying = time.mTransportIsRunning;

  const int n = nFrames > 0 ? nFrames : 0;
  const bool stereoConfig = MaxNInChannels() >= 2;
  auto connectedCount = [&](double** channels, bool (IPlugBase::*connected)(int) const) {
    int count = 0;
    for (int c = 0; c < 2; ++c)
    {
      if ((c == 1 && !stereoConfig) || !(this->*connected)(c) || !channels || !channels[c])
        break;
      ++count;
    }
    return count;
  };
  const int nIn = connectedCount(inputs, &IPlugBase::IsInChannelConnected);
  const int nOut = connectedCount(outputs, &IPlugBase::IsOutChannelConnected);
  for (int c = 0; c < nIn; ++c)
    CopyFinite(inputs[c], n, mInCopies[c]);

  // The outputs are only looked at, never analysed: no copy of them.
  bool silent = nIn > 0 && nOut > 0 && BufferOps::IsSilent(mInCopies[0]) && IsSilentAsCleaned(outputs[0], n);
  if (silent && nIn == 2 && nOut == 2)
    silent = BufferOps::IsSilent(mInCopies[1]) && IsSilentAsCleaned(outputs[1], n);

  if (!silent && nIn > 0 && mFftObj)
  {
    mRestarter.Process(mInCopies, nIn);

    WDL_TypedBuf<double>& mono = mMono[0];
    if (nIn == 2)
    {
      mono.Resize(n);
      const double* left = mInCopies[0].Get();
      const double* right = mInCopies[1].Get();
      for (int i = 0; i < n; ++i)
        mono[i] = (left[i] + right[i]) * 0.5;
    }
    else
    {
      mono.CopyFrom(mInCopies[0]);
    }

    // No output taken: the analysis stops at the spectrum and resynthesises
    // nothing.
    mFftObj->Process(mMono, mScCopies, nullptr);
  }

  for (int c = 0; c < 2; ++c)
    if (c < nIn && c < nOut)
      std::memcpy(outputs[c], inputs[c], sizeof(double) * static_cast<size_t>(n));
}

void Crest::AddMagns(const WDL_TypedBuf<double>& magns)
{
  if (mView)
    mView->AddMagns(magns);
}

void Crest::UpdateCameraAngles(double angle0, double angle1)
{
  SetFromView(kAngle0, angle0);
  SetFromView(kAngle1, angle1);
}

void Crest::UpdateCamFov(double fov) { SetFromView(kCamFov, fov); }

void Crest::SetFromView(int paramIdx, double value)
{
  IParam* param = GetParam(paramIdx);
  param->SetNormalized(param->ToNormalized(value));
  TouchParam(paramIdx);
}

void Crest::RefreshParamControl(int paramIdx)
{
  IParam* param = GetParam(paramIdx);
  if (IGraphics* g = GetGUI(); g && param)
    g->SetParameterFromPlug(paramIdx, param->Value(), false);
}

void Crest::ResetParamToDefault(int paramIdx)
{
  IParam* param = GetParam(paramIdx);
  if (!GetGUI() || !param)
    return;
  param->SetToDefault();
  RefreshParamControl(paramIdx);
}

void Crest::TouchParam(int paramIdx)
{
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  const double normalized = param->GetNormalized();
  BeginInformHostOfParamChange(paramIdx);
  if (IGraphics* g = GetGUI())
    g->SetParameterFromPlug(paramIdx, normalized, true);
  InformHostOfParamChange(paramIdx, normalized);
  EndInformHostOfParamChange(paramIdx);
}

bool Crest::SnapshotGraph(uint8_t* rgba, int w, int h)
{
  IGraphics* g = GetGUI();
  if (!mGraph || !g)
    return false;
  // Held to the last byte copied, so that no resize on another thread
  // changes the picture between sizing and reading it.
  WDL_MutexLock editor(&g->GetEditorMutex());
  g->SyncWithPlug();
  int gw = 0, gh = 0;
  mGraph->GetSize(&gw, &gh);
  if (gw != w || gh != h)
    mGraph->Resize(w, h);
  return mGraph->ReadScreenRGBA(rgba, w, h);
}
