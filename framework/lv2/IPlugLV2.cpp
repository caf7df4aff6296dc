#include "framework/lv2/IPlugLV2.h"

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
  : mExporter(plug, nIn, nOut), mLayout{nIn, nOut, plug->NParams()}
{
  mExporter.SetSampleRate(sampleRate);
  mAudioIn.assign(static_cast<size_t>(nIn), nullptr);
  mAudioOut.assign(static_cast<size_t>(nOut), nullptr);
  mParamPorts.assign(static_cast<size_t>(mLayout.nParams), nullptr);
  // NaN never equals a port's value: the first run applies every port.
  mSeenPort.assign(static_cast<size_t>(mLayout.nParams), std::nanf(""));

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
}

void IPlugLV2::ConnectPort(uint32_t port, void* data)
{
  // Compared unsigned: an index of 2^31 or more is no port of ours.
  const auto nIn = static_cast<uint32_t>(mLayout.nIn);
  if (port < nIn)
    mAudioIn[port] = static_cast<const float*>(data);
  else if (port < static_cast<uint32_t>(mLayout.Enabled()))
    mAudioOut[port - nIn] = static_cast<float*>(data);
  else if (port == static_cast<uint32_t>(mLayout.Enabled()))
    mEnabled = static_cast<const float*>(data);
  else if (port < static_cast<uint32_t>(mLayout.Transport()))
    mParamPorts[port - static_cast<uint32_t>(mLayout.Param(0))] = static_cast<const float*>(data);
  else if (port == static_cast<uint32_t>(mLayout.Transport()))
    mTransport = static_cast<const LV2_Atom_Sequence*>(data);
}

void IPlugLV2::Activate()
{
  mExporter.Time() = ITimeInfo();
  mExporter.RequestReset();
}

void IPlugLV2::TakePortValues()
{
  for (int i = 0; i < mLayout.nParams; ++i)
    if (const float* port = mParamPorts[static_cast<size_t>(i)])
      mSeenPort[static_cast<size_t>(i)] = *port;
}

void IPlugLV2::ApplyControlPorts()
{
  for (int i = 0; i < mLayout.nParams; ++i)
  {
    const float* port = mParamPorts[static_cast<size_t>(i)];
    if (!port)
      continue;
    const float v = *port;
    if (SameBits(v, mSeenPort[static_cast<size_t>(i)]))
      continue;
    mSeenPort[static_cast<size_t>(i)] = v;
    mExporter.SetHostPlainValue(i, v);
  }
}

void IPlugLV2::ApplyTime(const LV2_Atom_Object* obj)
{
  if (obj->body.otype != mUrid.timePosition)
    return;
  ITimeInfo& time = mExporter.Time();
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
    time.mTransportIsRunning = v != 0.0;
  if (number(frame, &v))
    time.mSamplePos = v;
  if (number(bpm, &v) && v > 0.0)
    time.mTempo = v;
  if (number(beatsPerBar, &v) && v >= 1.0 && v < 1000.0)
    time.mNumerator = static_cast<int>(v);
  if (number(beatUnit, &v) && v >= 1.0 && v < 1000.0)
    time.mDenominator = static_cast<int>(v);
  double barNo = 0.0, beat = 0.0;
  if (number(bar, &barNo) && number(barBeat, &beat))
  {
    const double quartersPerBeat = 4.0 / time.mDenominator;
    time.mLastBar = barNo * time.mNumerator * quartersPerBeat;
    time.mPPQPos = time.mLastBar + beat * quartersPerBeat;
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
  // lv2:enabled: 0 is bypassed.
  mExporter.SetBypass(mEnabled && *mEnabled < 0.5f);

  uint32_t pos = 0;
  if (mTransport && mMap)
  {
    LV2_ATOM_SEQUENCE_FOREACH(mTransport, ev)
    {
      // Events are in time order; a stray one out of range goes to the edge.
      const int64_t at = std::clamp<int64_t>(ev->time.frames, pos, nFrames);
      mExporter.Process(mAudioIn.data(), mAudioOut.data(), pos, static_cast<uint32_t>(at));
      pos = static_cast<uint32_t>(at);
      if (ev->body.type == mUrid.atomObject || ev->body.type == mUrid.atomBlank)
        ApplyTime(reinterpret_cast<const LV2_Atom_Object*>(&ev->body));
    }
  }
  mExporter.Process(mAudioIn.data(), mAudioOut.data(), pos, nFrames);
}

LV2_State_Status IPlugLV2::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
  if (!mMap)
    return LV2_STATE_ERR_NO_FEATURE;
  ByteChunk chunk;
  if (!mExporter.SaveState(&chunk))
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
  if (type != mUrid.atomChunk || !mExporter.RestoreState(data, size))
    return LV2_STATE_ERR_BAD_TYPE;
  // The ports still hold the host's values from before: only what the host
  // changes from now on overrides the record.
  TakePortValues();
  return LV2_STATE_SUCCESS;
}

bool IPlugLV2::AttachUI(IPlugLV2UI* ui)
{
  IPlugLV2UI* none = nullptr;
  return mUI.compare_exchange_strong(none, ui);
}

void IPlugLV2::DetachUI(IPlugLV2UI* ui)
{
  IPlugLV2UI* expected = ui;
  mUI.compare_exchange_strong(expected, nullptr);
}
