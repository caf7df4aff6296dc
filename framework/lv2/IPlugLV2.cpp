#include "framework/lv2/IPlugLV2.h"

#include "framework/IGraphics.h"
#include "framework/SameBits.h"
#include "framework/lv2/IPlugLV2UI.h"
#include "framework/lv2/Lv2Features.h"
#include "framework/lv2/Lv2Uris.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

IPlugLV2::IPlugLV2(IPlugBase* plug, int nIn, int nOut, double sampleRate, const LV2_Feature* const* features)
  : mPlug(plug), mLayout{nIn, nOut, plug->NParams()}
{
  mPlug->SetHost(this);
  mPlug->SetConnectedChannels(nIn, nOut);
  mPlug->SetSampleRate(sampleRate);

  mAudioIn.assign(static_cast<size_t>(nIn), nullptr);
  mAudioOut.assign(static_cast<size_t>(nOut), nullptr);
  mParamPorts.assign(static_cast<size_t>(mLayout.nParams), nullptr);
  // NaN never equals a port's value: the first run applies every port.
  mSeenPort.assign(static_cast<size_t>(mLayout.nParams), std::nanf(""));

  const int nBufs = std::max({nIn, nOut, 1});
  mInFloat.assign(static_cast<size_t>(nBufs), std::vector<float>(IPlugBase::kMaxBlockFrames));
  std::vector<double*> buffers;
  IPlugBase::MakeBlockBuffers(2 * nBufs, &mBlockStorage, &buffers);
  mInPtrs.assign(buffers.begin(), buffers.begin() + nBufs);
  mOutPtrs.assign(buffers.begin() + nBufs, buffers.end());

  mMap = static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(features, LV2_URID__map)));
  if (mMap)
  {
    auto map = [this](const char* uri) { return mMap->map(mMap->handle, uri); };
    mUrid.atomBlank = map(LV2_ATOM__Blank);
    mUrid.atomObject = map(LV2_ATOM__Object);
    mUrid.atomChunk = map(LV2_ATOM__Chunk);
    mUrid.atomFloat = map(LV2_ATOM__Float);
    mUrid.atomDouble = map(LV2_ATOM__Double);
    mUrid.atomInt = map(LV2_ATOM__Int);
    mUrid.atomLong = map(LV2_ATOM__Long);
    mUrid.timePosition = map(LV2_TIME__Position);
    mUrid.timeSpeed = map(LV2_TIME__speed);
    mUrid.timeFrame = map(LV2_TIME__frame);
    mUrid.timeBar = map(LV2_TIME__bar);
    mUrid.timeBarBeat = map(LV2_TIME__barBeat);
    mUrid.timeBeatUnit = map(LV2_TIME__beatUnit);
    mUrid.timeBeatsPerBar = map(LV2_TIME__beatsPerBar);
    mUrid.timeBeatsPerMinute = map(LV2_TIME__beatsPerMinute);
    mUrid.state = map(Lv2Uris::StateKey().c_str());
  }
  mPlug->Reset();
}

IPlugLV2::~IPlugLV2() { mPlug->SetHost(nullptr); }

void IPlugLV2::ConnectPort(uint32_t port, void* data)
{
  const int p = static_cast<int>(port);
  if (p < mLayout.Enabled())
  {
    if (p < mLayout.nIn)
      mAudioIn[static_cast<size_t>(p)] = static_cast<const float*>(data);
    else
      mAudioOut[static_cast<size_t>(p - mLayout.nIn)] = static_cast<float*>(data);
  }
  else if (p == mLayout.Enabled())
    mEnabled = static_cast<const float*>(data);
  else if (p < mLayout.Transport())
    mParamPorts[static_cast<size_t>(p - mLayout.Param(0))] = static_cast<const float*>(data);
  else if (p == mLayout.Transport())
    mTransport = static_cast<const LV2_Atom_Sequence*>(data);
}

void IPlugLV2::Activate()
{
  mTime = ITimeInfo();
  mPlug->Reset();
}

void IPlugLV2::TakePortValues()
{
  for (int i = 0; i < mLayout.nParams; ++i)
    if (const float* port = mParamPorts[static_cast<size_t>(i)])
      mSeenPort[static_cast<size_t>(i)] = *port;
}

void IPlugLV2::ApplyControlPorts()
{
  WDL_MutexLock lock(&mPlug->GetMutex());
  for (int i = 0; i < mLayout.nParams; ++i)
  {
    const float* port = mParamPorts[static_cast<size_t>(i)];
    if (!port)
      continue;
    const float v = *port;
    if (SameBits(v, mSeenPort[static_cast<size_t>(i)]))
      continue;
    mSeenPort[static_cast<size_t>(i)] = v;
    IParam* p = mPlug->GetParam(i);
    // As through the ACF interface: what the plug-in ignores from the host
    // stays ignored, and a non-finite value changes nothing.
    if (!std::isfinite(v) || p->GetIgnoreHostChanges())
      continue;
    const double normalized = p->ToNormalized(std::clamp(static_cast<double>(v), p->GetMin(), p->GetMax()));
    p->SetNormalized(normalized);
    if (IGraphics* g = mPlug->GetGUI())
      g->SetParameterFromPlug(i, normalized, true);
    mPlug->OnParamChange(i);
  }
}

void IPlugLV2::ApplyTime(const LV2_Atom_Object* obj)
{
  if (obj->body.otype != mUrid.timePosition)
    return;
  auto number = [this](const LV2_Atom* a, double* out) {
    if (!a)
      return false;
    if (a->type == mUrid.atomFloat)
      *out = reinterpret_cast<const LV2_Atom_Float*>(a)->body;
    else if (a->type == mUrid.atomDouble)
      *out = reinterpret_cast<const LV2_Atom_Double*>(a)->body;
    else if (a->type == mUrid.atomInt)
      *out = reinterpret_cast<const LV2_Atom_Int*>(a)->body;
    else if (a->type == mUrid.atomLong)
      *out = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(a)->body);
    else
      return false;
    return std::isfinite(*out);
  };
  const LV2_Atom *speed = nullptr, *frame = nullptr, *bar = nullptr, *barBeat = nullptr, *beatUnit = nullptr,
                 *beatsPerBar = nullptr, *bpm = nullptr;
  lv2_atom_object_get(obj, mUrid.timeSpeed, &speed, mUrid.timeFrame, &frame, mUrid.timeBar, &bar, mUrid.timeBarBeat,
                      &barBeat, mUrid.timeBeatUnit, &beatUnit, mUrid.timeBeatsPerBar, &beatsPerBar,
                      mUrid.timeBeatsPerMinute, &bpm, 0);
  double v = 0.0;
  if (number(speed, &v))
    mTime.mTransportIsRunning = v != 0.0;
  if (number(frame, &v))
    mTime.mSamplePos = v;
  if (number(bpm, &v) && v > 0.0)
    mTime.mTempo = v;
  if (number(beatsPerBar, &v) && v >= 1.0 && v < 1000.0)
    mTime.mNumerator = static_cast<int>(v);
  if (number(beatUnit, &v) && v >= 1.0 && v < 1000.0)
    mTime.mDenominator = static_cast<int>(v);
  double barNo = 0.0, beat = 0.0;
  if (number(bar, &barNo) && number(barBeat, &beat))
  {
    const double quartersPerBeat = 4.0 / mTime.mDenominator;
    mTime.mLastBar = barNo * mTime.mNumerator * quartersPerBeat;
    mTime.mPPQPos = mTime.mLastBar + beat * quartersPerBeat;
  }
}

void IPlugLV2::Run(uint32_t nFrames)
{
  for (const float* p : mAudioIn)
    if (!p)
      return;
  for (float* p : mAudioOut)
    if (!p)
      return;

  ApplyControlPorts();

  uint32_t pos = 0;
  if (mTransport && mMap)
  {
    LV2_ATOM_SEQUENCE_FOREACH(mTransport, ev)
    {
      // Events are in time order; a stray one out of range goes to the edge.
      const int64_t at = std::clamp<int64_t>(ev->time.frames, pos, nFrames);
      ProcessRange(pos, static_cast<uint32_t>(at));
      pos = static_cast<uint32_t>(at);
      if (ev->body.type == mUrid.atomObject || ev->body.type == mUrid.atomBlank)
        ApplyTime(reinterpret_cast<const LV2_Atom_Object*>(&ev->body));
    }
  }
  ProcessRange(pos, nFrames);
}

void IPlugLV2::ProcessRange(uint32_t begin, uint32_t end)
{
  while (begin < end)
  {
    const int n = static_cast<int>(std::min<uint32_t>(end - begin, IPlugBase::kMaxBlockFrames));
    ProcessPiece(begin, n);
    begin += static_cast<uint32_t>(n);
  }
}

void IPlugLV2::ProcessPiece(uint32_t offset, int n)
{
  const int nIn = mLayout.nIn, nOut = mLayout.nOut;
  const size_t count = static_cast<size_t>(n);
  for (int c = 0; c < nIn; ++c)
  {
    const float* src = mAudioIn[c] + offset;
    float* keep = mInFloat[c].data();
    double* d = mInPtrs[c];
    std::memcpy(keep, src, sizeof(float) * count);
    for (size_t i = 0; i < count; ++i)
      d[i] = keep[i];
  }

  // lv2:enabled: 0 is bypassed.
  const bool bypass = mEnabled && *mEnabled < 0.5f;
  if (!bypass)
  {
    WDL_MutexLock lock(&mPlug->GetMutex());
    mPlug->ProcessBlock(mInPtrs.data(), mOutPtrs.data(), n);
  }

  // An output sample that is still the converted input goes back as the
  // host's own float (bit for bit even for signalling NaNs), taken from the
  // copy: the host may have handed an input buffer as an output.
  for (int c = 0; c < nOut; ++c)
  {
    float* o = mAudioOut[c] + offset;
    if (c >= nIn)
    {
      std::memset(o, 0, sizeof(float) * count);
      continue;
    }
    const float* keep = mInFloat[c].data();
    if (bypass)
    {
      std::memcpy(o, keep, sizeof(float) * count);
      continue;
    }
    const double* d = mOutPtrs[c];
    const double* in = mInPtrs[c];
    for (size_t i = 0; i < count; ++i)
      o[i] = SameBits(d[i], in[i]) ? keep[i] : static_cast<float>(d[i]);
  }

  if (mTime.mTransportIsRunning && mTime.mSamplePos >= 0.0)
    mTime.mSamplePos += n;
}

LV2_State_Status IPlugLV2::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
  if (!mMap)
    return LV2_STATE_ERR_NO_FEATURE;
  ByteChunk chunk;
  if (!mPlug->SerializeState(&chunk))
    return LV2_STATE_ERR_UNKNOWN;
  return store(handle, mUrid.state, chunk.GetBytes(), static_cast<size_t>(chunk.Size()), mUrid.atomChunk,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IPlugLV2::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
  if (!mMap)
    return LV2_STATE_ERR_NO_FEATURE;
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* data = retrieve(handle, mUrid.state, &size, &type, &flags);
  if (!data)
    return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mUrid.atomChunk || size > kMaxStateBytes)
    return LV2_STATE_ERR_BAD_TYPE;
  ByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  mPlug->UnserializeState(&chunk, 0);
  mPlug->RedrawParamControls();
  // The ports still hold the host's values from before: only what the host
  // changes from now on overrides the record.
  TakePortValues();
  return LV2_STATE_SUCCESS;
}

bool IPlugLV2::AttachUI(IPlugLV2UI* ui)
{
  IPlugLV2UI* none = nullptr;
  if (!mUI.compare_exchange_strong(none, ui))
    return false;
  mUIThread.store(std::this_thread::get_id());
  return true;
}

void IPlugLV2::DetachUI(IPlugLV2UI* ui)
{
  IPlugLV2UI* expected = ui;
  if (mUI.compare_exchange_strong(expected, nullptr))
    mUIThread.store(std::thread::id());
}

IPlugLV2UI* IPlugLV2::UIOnThisThread() const
{
  // The UI is only looked at from its own thread, where it cannot go away
  // meanwhile.
  if (mUIThread.load() != std::this_thread::get_id())
    return nullptr;
  return mUI.load();
}

void IPlugLV2::BeginInformHostOfParamChange(int idx)
{
  if (IPlugLV2UI* ui = UIOnThisThread(); ui && idx >= 0 && idx < mLayout.nParams)
    ui->Touch(static_cast<uint32_t>(mLayout.Param(idx)), true);
}

void IPlugLV2::InformHostOfParamChange(int idx, double normalized)
{
  IPlugLV2UI* ui = UIOnThisThread();
  const IParam* p = mPlug->GetParam(idx);
  if (!ui || !p || !std::isfinite(normalized))
    return;
  const float value = static_cast<float>(p->FromNormalized(std::clamp(normalized, 0.0, 1.0)));
  ui->WritePort(static_cast<uint32_t>(mLayout.Param(idx)), value);
}

void IPlugLV2::EndInformHostOfParamChange(int idx)
{
  if (IPlugLV2UI* ui = UIOnThisThread(); ui && idx >= 0 && idx < mLayout.nParams)
    ui->Touch(static_cast<uint32_t>(mLayout.Param(idx)), false);
}

void IPlugLV2::GetTime(ITimeInfo* info) { *info = mTime; }

void IPlugLV2::ResizeGraphics(int w, int h)
{
  if (IPlugLV2UI* ui = UIOnThisThread())
    ui->Resize(w, h);
}
