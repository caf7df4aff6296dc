#include "framework/IPlugAAX.h"

#include "framework/CopyText.h"
#include "framework/IGraphics.h"
#include "framework/SameBits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

IPlugAAX* CreatePlugin()
{
  IPlugBase* plug = CreatePlug();
  if (!plug)
    return nullptr;
  auto* wrapper = new (std::nothrow) IPlugAAX(plug);
  if (!wrapper)
    delete plug;
  return wrapper;
}

IPlugAAX::IPlugAAX(IPlugBase* plug) : mPlug(plug), mMutex(plug->GetMutex())
{
  mPlug->SetHost(this);
  const int nChannels = std::max(mPlug->MaxNInChannels(), 1);
  std::vector<double*> buffers;
  IPlugBase::MakeBlockBuffers(2 * nChannels, &mBlockStorage, &buffers);
  mInPtrs.assign(buffers.begin(), buffers.begin() + nChannels);
  mOutPtrs.assign(buffers.begin() + nChannels, buffers.end());
}

IPlugAAX::~IPlugAAX()
{
  // Nothing of the plug-in's teardown reaches a host that is going away.
  mPlug->SetHost(nullptr);
}

void IPlugAAX::SetHost(const AcfHostCallbacks* host) { mHost = host ? *host : AcfHostCallbacks{}; }

void IPlugAAX::HostID(int paramIdx, char* id, int size) const
{
  std::snprintf(id, static_cast<size_t>(size), "%d", paramIdx + 1);
}

int IPlugAAX::ParamIndexFromID(const char* id) const
{
  if (!id || !*id)
    return -1;
  // Exactly the decimal digits HostID writes: no sign, white space or
  // leading zero (strtol would take all three).
  if (id[0] < '1' || id[0] > '9')
    return -1;
  long n = 0;
  for (const char* c = id; *c; ++c)
  {
    if (*c < '0' || *c > '9')
      return -1;
    n = n * 10 + (*c - '0');
    if (n > NParams())
      return -1;
  }
  return static_cast<int>(n) - 1;
}

AcfResult IPlugAAX::Initialize(double sampleRate)
{
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0)
    return ACF_ERROR_INVALID_ARGUMENT;

  mHostParams.clear();
  AcfParameterInfo bypass{};
  CopyText(bypass.id, sizeof bypass.id, kBypassID);
  CopyText(bypass.name, sizeof bypass.name, "Master Bypass");
  bypass.kind = ACF_PARAMETER_BOOLEAN;
  bypass.minValue = 0.0;
  bypass.maxValue = 1.0;
  bypass.numSteps = 2;
  bypass.automatable = 1;
  CopyText(bypass.offText, sizeof bypass.offText, "bypass");
  CopyText(bypass.onText, sizeof bypass.onText, "on");
  mHostParams.push_back(bypass);

  for (int i = 0; i < NParams(); ++i)
  {
    const IParam* p = GetParam(i);
    AcfParameterInfo info{};
    HostID(i, info.id, sizeof info.id);
    CopyText(info.name, sizeof info.name, p->GetNameForHost());
    CopyText(info.unit, sizeof info.unit, p->GetLabelForHost());
    info.kind = p->Type() == IParam::kTypeDouble ? ACF_PARAMETER_CONTINUOUS : ACF_PARAMETER_INTEGER;
    info.minValue = p->GetMin();
    info.maxValue = p->GetMax();
    info.defaultValue = p->GetDefault();
    info.defaultNormalized = p->GetDefaultNormalized();
    info.numSteps = 128;
    info.automatable = p->GetCanAutomate() ? 1 : 0;
    mHostParams.push_back(info);
  }

  SetSampleRate(sampleRate);
  Reset();
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::GetHostParamInfo(int index, AcfParameterInfo* info) const
{
  if (!info)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (index < 0 || index >= NHostParams())
    return ACF_ERROR_INVALID_PARAMETER_ID;
  *info = mHostParams[index];
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::GetHostParam(const char* id, double* normalized)
{
  if (!id || !normalized)
    return ACF_ERROR_INVALID_ARGUMENT;
  WDL_MutexLock lock(&mMutex);
  if (std::strcmp(id, kBypassID) == 0)
  {
    *normalized = mBypass ? 1.0 : 0.0;
    return ACF_SUCCESS;
  }
  const int idx = ParamIndexFromID(id);
  if (idx < 0)
    return ACF_ERROR_INVALID_PARAMETER_ID;
  *normalized = GetParam(idx)->GetNormalized();
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::GetHostParamDisplay(const char* id, char* text, int size)
{
  if (!id || !text || size <= 0)
    return ACF_ERROR_INVALID_ARGUMENT;
  WDL_MutexLock lock(&mMutex);
  if (std::strcmp(id, kBypassID) == 0)
  {
    CopyText(text, static_cast<size_t>(size), mBypass ? "on" : "bypass");
    return ACF_SUCCESS;
  }
  const int idx = ParamIndexFromID(id);
  if (idx < 0)
    return ACF_ERROR_INVALID_PARAMETER_ID;
  const IParam* p = GetParam(idx);
  const bool continuous = p->Type() == IParam::kTypeDouble;
  const char* label = p->GetLabelForHost();
  // An integer parameter restored off its steps is used as Int() says.
  std::snprintf(text, static_cast<size_t>(size), "%.*f%s%s", continuous ? 2 : 0,
                continuous ? p->Value() : static_cast<double>(p->Int()), *label ? " " : "", label);
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::UpdateHostParam(const char* id, double normalized)
{
  if (!id)
    return ACF_ERROR_INVALID_ARGUMENT;
  const bool isBypass = std::strcmp(id, kBypassID) == 0;
  const int idx = isBypass ? -1 : ParamIndexFromID(id);
  if (!isBypass && idx < 0)
    return ACF_ERROR_INVALID_PARAMETER_ID;
  if (!std::isfinite(normalized))
    return ACF_ERROR_INVALID_ARGUMENT;
  normalized = std::clamp(normalized, 0.0, 1.0);

  {
    WDL_MutexLock lock(&mMutex);
    if (isBypass)
      mBypass = normalized >= 0.5;
    else if (IParam* p = GetParam(idx); !p->GetIgnoreHostChanges())
    {
      p->SetNormalized(normalized);
      if (IGraphics* g = GetGUI())
        g->SetParameterFromPlug(idx, normalized, true);
      OnParamChange(idx);
    }
  }
  ++mChangeCounter;
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::ProcessAudio(const float* const* inputs, float* const* outputs, int nFrames)
{
  if (nFrames == 0)
    return ACF_SUCCESS;
  if (nFrames < 0 || nFrames > kMaxBlockFrames || !inputs || !outputs)
    return ACF_ERROR_INVALID_ARGUMENT;
  const int nIn = NInChannels(), nOut = NOutChannels();
  for (int c = 0; c < nIn; ++c)
    if (!inputs[c])
      return ACF_ERROR_INVALID_ARGUMENT;
  for (int c = 0; c < nOut; ++c)
    if (!outputs[c])
      return ACF_ERROR_INVALID_ARGUMENT;

  const size_t n = static_cast<size_t>(nFrames);
  WDL_MutexLock lock(&mMutex);

  if (mBypass)
  {
    for (int c = 0; c < nOut; ++c)
    {
      if (c < nIn)
        std::memmove(outputs[c], inputs[c], sizeof(float) * n);
      else
        std::memset(outputs[c], 0, sizeof(float) * n);
    }
    return ACF_SUCCESS;
  }

  for (int c = 0; c < nIn; ++c)
  {
    double* d = mInPtrs[c];
    const float* s = inputs[c];
    for (size_t i = 0; i < n; ++i)
      d[i] = s[i];
  }

  ProcessBlock(mInPtrs.data(), mOutPtrs.data(), nFrames);

  // An output sample that is still the converted input sample goes back as
  // the host's own float, so pass-through is bit for bit even for
  // signalling NaNs, which a round trip through double would quiet.
  for (int c = 0; c < nOut; ++c)
  {
    const double* d = mOutPtrs[c];
    const double* in = c < nIn ? mInPtrs[c] : nullptr;
    const float* src = c < nIn ? inputs[c] : nullptr;
    float* o = outputs[c];
    // The usual case, a whole block passed through, in one comparison.
    if (in && std::memcmp(d, in, sizeof(double) * n) == 0)
    {
      if (o != src)
        std::memmove(o, src, sizeof(float) * n);
      continue;
    }
    for (size_t i = 0; i < n; ++i)
      o[i] = in && SameBits(d[i], in[i]) ? src[i] : static_cast<float>(d[i]);
  }
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::ChunkIdByIndex(int index, uint32_t* chunkId) const
{
  if (!chunkId)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (index != 0)
  {
    *chunkId = 0;
    return ACF_ERROR_INVALID_CHUNK_INDEX;
  }
  *chunkId = static_cast<uint32_t>(GetUniqueID());
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::ChunkSize(uint32_t chunkId, int32_t* size)
{
  if (!size)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (chunkId != static_cast<uint32_t>(GetUniqueID()))
  {
    *size = 0;
    return ACF_ERROR_INVALID_CHUNK_ID;
  }
  ByteChunk chunk;
  SerializeState(&chunk);
  *size = chunk.Size();
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::GetChunk(uint32_t chunkId, AcfChunkHeader* header, int32_t capacity)
{
  if (!header || capacity < 0)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (chunkId != static_cast<uint32_t>(GetUniqueID()))
    return ACF_ERROR_INVALID_CHUNK_ID;
  ByteChunk chunk;
  if (!SerializeState(&chunk))
    return ACF_ERROR_INVALID_CHUNK_ID;
  if (chunk.Size() > capacity)
    return ACF_ERROR_INVALID_ARGUMENT;
  header->size = chunk.Size();
  header->version = 1;
  header->manufacturerId = static_cast<uint32_t>(GetMfrID());
  header->productId = static_cast<uint32_t>(GetUniqueID());
  header->pluginId = static_cast<uint32_t>(GetUniqueID());
  header->chunkId = chunkId;
  CopyText(header->name, sizeof header->name, GetEffectName());
  std::memcpy(reinterpret_cast<uint8_t*>(header + 1), chunk.GetBytes(), static_cast<size_t>(chunk.Size()));
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::SetChunk(uint32_t chunkId, const AcfChunkHeader* header)
{
  if (!header)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (chunkId != static_cast<uint32_t>(GetUniqueID()))
    return ACF_ERROR_INVALID_CHUNK_ID;
  if (header->size < 0 || header->size > kMaxChunkBytes)
    return ACF_ERROR_INVALID_ARGUMENT;

  ByteChunk chunk;
  chunk.PutBytes(reinterpret_cast<const uint8_t*>(header + 1), header->size);
  UnserializeState(&chunk, 0);

  // The host hears the values outside the lock; they are copied under it.
  const std::vector<double> values = mPlug->CopyNormalizedParams();
  for (int i = 0; i < NParams(); ++i)
    InformHostOfParamChange(i, values[static_cast<size_t>(i)]);
  RedrawParamControls();
  ++mChangeCounter;
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::CompareActiveChunk(const AcfChunkHeader* header, int32_t* isEqual)
{
  if (!header || !isEqual)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (header->chunkId != static_cast<uint32_t>(GetUniqueID()))
  {
    *isEqual = 1;
    return ACF_SUCCESS;
  }
  const int32_t size = std::clamp(header->size, 0, kMaxChunkBytes);
  *isEqual = CompareState(reinterpret_cast<const uint8_t*>(header + 1), size, 0) ? 1 : 0;
  return ACF_SUCCESS;
}

void IPlugAAX::BeginInformHostOfParamChange(int idx)
{
  char id[16];
  HostID(idx, id, sizeof id);
  if (mHost.beginEdit)
    mHost.beginEdit(mHost.user, id);
}

void IPlugAAX::InformHostOfParamChange(int idx, double normalized)
{
  char id[16];
  HostID(idx, id, sizeof id);
  if (mHost.setValue)
    mHost.setValue(mHost.user, id, normalized);
}

void IPlugAAX::EndInformHostOfParamChange(int idx)
{
  char id[16];
  HostID(idx, id, sizeof id);
  if (mHost.endEdit)
    mHost.endEdit(mHost.user, id);
}

void IPlugAAX::GetTime(ITimeInfo* info)
{
  *info = ITimeInfo();
  AcfTimeInfo t{};
  if (!mHost.getTimeInfo || !mHost.getTimeInfo(mHost.user, &t))
    return;
  info->mTempo = t.tempo;
  info->mSamplePos = t.samplePos;
  info->mPPQPos = t.ppqPos;
  info->mLastBar = t.lastBar;
  info->mNumerator = t.numerator;
  info->mDenominator = t.denominator;
  info->mTransportIsRunning = t.playing != 0;
}

void IPlugAAX::ResizeGraphics(int w, int h)
{
  if (mHost.viewResized)
    mHost.viewResized(mHost.user, w, h);
}

AcfResult IPlugAAX::EditorSize(int32_t* width, int32_t* height)
{
  if (!width || !height)
    return ACF_ERROR_INVALID_ARGUMENT;
  IGraphics* g = GetGUI();
  if (!g)
    return ACF_ERROR_UNIMPLEMENTED;
  WDL_MutexLock editor(&g->GetEditorMutex());
  g->SyncWithPlug();
  *width = g->Width();
  *height = g->Height();
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::EditorOpen(uintptr_t parent)
{
  IGraphics* g = GetGUI();
  if (!g)
    return ACF_ERROR_UNIMPLEMENTED;
  return g->OpenWindow(parent) ? ACF_SUCCESS : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult IPlugAAX::EditorClose()
{
  IGraphics* g = GetGUI();
  if (!g)
    return ACF_ERROR_UNIMPLEMENTED;
  g->CloseWindow();
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::EditorIdle()
{
  IGraphics* g = GetGUI();
  if (!g)
    return ACF_ERROR_UNIMPLEMENTED;
  g->OnIdle();
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::EditorSnapshot(bool graphOnly, uint8_t* rgba, int32_t width, int32_t height)
{
  if (!rgba || width <= 0 || height <= 0)
    return ACF_ERROR_INVALID_ARGUMENT;
  IGraphics* g = GetGUI();
  if (!g)
    return ACF_ERROR_UNIMPLEMENTED;
  if (graphOnly)
  {
    if (width % 4 || height % 4)
      return ACF_ERROR_INVALID_ARGUMENT;
    return SnapshotGraph(rgba, width, height) ? ACF_SUCCESS : ACF_ERROR_UNIMPLEMENTED;
  }
  WDL_MutexLock editor(&g->GetEditorMutex());
  g->SyncWithPlug();
  if (width != g->Width() || height != g->Height())
    return ACF_ERROR_INVALID_ARGUMENT;
  if (g->Snapshot(rgba, width, height))
    return ACF_SUCCESS;
  // Events handled first may have resized it.
  return width != g->Width() || height != g->Height() ? ACF_ERROR_INVALID_ARGUMENT : ACF_ERROR_UNIMPLEMENTED;
}
