#include "framework/IPlugBase.h"

#include "framework/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
// "1-1-0 2-2-0": inputs-outputs-sidechain, one configuration per word.
std::vector<IPlugBase::ChannelIO> ParseChannelIO(const char* str)
{
  std::vector<IPlugBase::ChannelIO> ios;
  const char* p = str ? str : "";
  while (*p)
  {
    IPlugBase::ChannelIO io;
    int used = 0;
    if (std::sscanf(p, "%d-%d-%d%n", &io.nIn, &io.nOut, &io.nSideChain, &used) == 3 && used > 0)
    {
      ios.push_back(io);
      p += used;
    }
    else
      ++p;
    while (*p == ' ')
      ++p;
  }
  return ios;
}
} // namespace

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                     int latency, bool, bool, bool)
  : mChannelIOs(ParseChannelIO(channelIOStr)), mPresets(static_cast<size_t>(std::max(nPresets, 0))),
    mEffectName(effectName ? effectName : ""), mProductName(productName ? productName : ""),
    mMfrName(mfrName ? mfrName : ""), mVersion(vendorVersion), mUniqueID(uniqueID), mMfrID(mfrID), mLatency(latency)
{
  for (int i = 0; i < nParams; ++i)
    mParams.push_back(std::make_unique<IParam>());
  const int maxIn = MaxNInChannels();
  mInConnected = maxIn;
  mOutConnected = maxIn;
}

IPlugBase::~IPlugBase() { delete mGraphics; }

int IPlugBase::MaxNInChannels() const
{
  int n = 0;
  for (const ChannelIO& io : mChannelIOs)
    n = std::max(n, io.nIn);
  return n;
}

void IPlugBase::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  for (int c = 0; c < mOutConnected; ++c)
  {
    if (c < mInConnected)
      std::memcpy(outputs[c], inputs[c], sizeof(double) * static_cast<size_t>(nFrames));
    else
      std::memset(outputs[c], 0, sizeof(double) * static_cast<size_t>(nFrames));
  }
}

void IPlugBase::BeginInformHostOfParamChange(int idx)
{
  if (mHost)
    mHost->BeginInformHostOfParamChange(idx);
}

void IPlugBase::InformHostOfParamChange(int idx, double normalized)
{
  if (mHost)
    mHost->InformHostOfParamChange(idx, normalized);
}

void IPlugBase::EndInformHostOfParamChange(int idx)
{
  if (mHost)
    mHost->EndInformHostOfParamChange(idx);
}

void IPlugBase::EchoParameterToHost(int idx)
{
  if (IParam* param = GetParam(idx); param && mHost)
    mHost->EchoParamToHost(idx, param->GetNormalized());
}

void IPlugBase::GetTime(ITimeInfo* info)
{
  *info = ITimeInfo();
  if (mHost)
    mHost->GetTime(info);
}

void IPlugBase::ResizeGraphics(int w, int h)
{
  if (mHost)
    mHost->ResizeGraphics(w, h);
}

void IPlugBase::SetParameterFromGUI(int idx, double normalized)
{
  WDL_MutexLock lock(&mMutex);
  IParam* param = GetParam(idx);
  if (!param)
    return;
  param->SetNormalized(normalized);
  InformHostOfParamChange(idx, param->GetNormalized());
  OnParamChange(idx);
}

void IPlugBase::ResizeEditor(int w, int h)
{
  OnEditorWillResize();
  if (mGraphics)
    mGraphics->Resize(w, h);
}

bool IPlugBase::SerializeParams(ByteChunk* chunk)
{
  WDL_MutexLock lock(&mMutex);
  for (auto& param : mParams)
    chunk->Put(param->Value());
  return chunk->Size() > 0;
}

int IPlugBase::UnserializeParams(const ByteChunk* chunk, int startPos)
{
  WDL_MutexLock lock(&mMutex);
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i)
  {
    IParam* param = mParams[i].get();
    double v = 0.0;
    pos = chunk->Get(&v, pos);
    if (pos < 0)
      v = 0.0;
    // A stored NaN would survive the clamp; the default is the safe reading.
    if (std::isnan(v))
      v = param->GetDefault();
    param->Set(std::clamp(v, param->GetMin(), param->GetMax()));
  }
  for (int i = 0; i < NParams(); ++i)
    OnParamChange(i);
  return pos;
}

bool IPlugBase::CompareState(const uint8_t* data, int nBytes, int startPos)
{
  if (!data || startPos < 0)
    return false;
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i)
  {
    const long offset = static_cast<long>(startPos) + 8L * i;
    // A record too short to hold every value cannot match.
    if (offset + 8 > nBytes)
      return false;
    double stored;
    std::memcpy(&stored, data + offset, sizeof stored);
    const float a = static_cast<float>(mParams[i]->Value());
    const float b = static_cast<float>(stored);
    if (!(std::fabs(a - b) < 1e-5f))
      return false;
  }
  return true;
}

void IPlugBase::AttachGraphics(IGraphics* graphics)
{
  if (!graphics)
    return;
  // The editor's lock comes first, as everywhere.
  WDL_MutexLock editor(&graphics->GetEditorMutex());
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i)
    graphics->SetParameterFromPlug(i, mParams[i]->GetNormalized(), true);
  mGraphics = graphics;
  graphics->SyncWithPlug();
  graphics->PrepDraw();
}

void IPlugBase::RedrawParamControls()
{
  if (!mGraphics)
    return;
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i)
    mGraphics->SetParameterFromPlug(i, mParams[i]->Value(), false);
}

std::vector<double> IPlugBase::CopyNormalizedParams()
{
  std::vector<double> values(mParams.size());
  WDL_MutexLock lock(&mMutex);
  for (size_t i = 0; i < mParams.size(); ++i)
    values[i] = mParams[i]->GetNormalized();
  return values;
}

void IPlugBase::MakePresetFromState(const char* name)
{
  for (Preset& preset : mPresets)
  {
    if (preset.initialized)
      continue;
    preset.chunk.Clear();
    SerializeState(&preset.chunk);
    preset.name = name ? name : "";
    preset.initialized = true;
    return;
  }
}

const char* IPlugBase::GetPresetName(int idx) const
{
  return idx >= 0 && idx < NPresets() ? mPresets[idx].name.c_str() : "";
}

const ByteChunk* IPlugBase::GetPresetChunk(int idx) const
{
  return idx >= 0 && idx < NPresets() && mPresets[idx].initialized ? &mPresets[idx].chunk : nullptr;
}

void IPlugBase::SetInputBusLabel(int idx, const char* label)
{
  if (idx < 0)
    return;
  if (static_cast<size_t>(idx) >= mInputBusLabels.size())
    mInputBusLabels.resize(static_cast<size_t>(idx) + 1);
  mInputBusLabels[idx] = label ? label : "";
}

void IPlugBase::SetOutputBusLabel(int idx, const char* label)
{
  if (idx < 0)
    return;
  if (static_cast<size_t>(idx) >= mOutputBusLabels.size())
    mOutputBusLabels.resize(static_cast<size_t>(idx) + 1);
  mOutputBusLabels[idx] = label ? label : "";
}

const char* IPlugBase::GetInputBusLabel(int idx) const
{
  return idx >= 0 && static_cast<size_t>(idx) < mInputBusLabels.size() ? mInputBusLabels[idx].c_str() : "";
}

const char* IPlugBase::GetOutputBusLabel(int idx) const
{
  return idx >= 0 && static_cast<size_t>(idx) < mOutputBusLabels.size() ? mOutputBusLabels[idx].c_str() : "";
}

void IPlugBase::MakeBlockBuffers(int count, std::vector<double>* storage, std::vector<double*>* buffers)
{
  constexpr size_t kStagger = 64; // 512 bytes: eight buffers per page before offsets repeat
  const size_t stride = static_cast<size_t>(kMaxBlockFrames) + kStagger;
  const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  storage->assign(n * stride, 0.0);
  buffers->clear();
  for (size_t i = 0; i < n; ++i)
    buffers->push_back(storage->data() + i * stride);
}
