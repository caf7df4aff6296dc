#include "framework/IPlugAAX.h"

#include "framework/CopyText.h"
#include "framework/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

IPlugAAX* CreatePlugin(int nIn, int nOut)
{
  IPlugBase* plug = CreatePlug();
  if (!plug)
    return nullptr;
  auto* wrapper = new (std::nothrow) IPlugAAX(plug, nIn, nOut);
  if (!wrapper)
    delete plug;
  return wrapper;
}

IPlugAAX::IPlugAAX(IPlugBase* plug, int nIn, int nOut) : mExporter(plug, nIn, nOut) {}

void IPlugAAX::SetHost(const AcfHostCallbacks* host) { mHost = host ? *host : AcfHostCallbacks{}; }

void IPlugAAX::HostID(int paramIdx, char* id, int size)
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
    if (n > mExporter.NParams())
      return -1;
  }
  return static_cast<int>(n) - 1;
}

AcfResult IPlugAAX::Initialize(double sampleRate)
{
  if (!IPlugExporter::IsUsableSampleRate(sampleRate))
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

  for (int i = 0; i < mExporter.NParams(); ++i)
  {
    const IParam* p = mExporter.Param(i);
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

  mExporter.SetSampleRate(sampleRate);
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
  if (std::strcmp(id, kBypassID) == 0)
  {
    *normalized = IsBypassed() ? 1.0 : 0.0;
    return ACF_SUCCESS;
  }
  const int idx = ParamIndexFromID(id);
  if (idx < 0)
    return ACF_ERROR_INVALID_PARAMETER_ID;
  *normalized = mExporter.GetNormalized(idx);
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::GetHostParamDisplay(const char* id, char* text, int size)
{
  if (!id || !text || size <= 0)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (std::strcmp(id, kBypassID) == 0)
  {
    CopyText(text, static_cast<size_t>(size), IsBypassed() ? "on" : "bypass");
    return ACF_SUCCESS;
  }
  const int idx = ParamIndexFromID(id);
  if (idx < 0)
    return ACF_ERROR_INVALID_PARAMETER_ID;
  const IParam* p = mExporter.Param(idx);
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
  if (isBypass)
    mExporter.SetBypass(normalized >= 0.5);
  else
    mExporter.SetHostValue(idx, normalized);
  ++mChangeCounter;
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::ProcessAudio(const float* const* inputs, float* const* outputs, int nFrames)
{
  if (nFrames == 0)
    return ACF_SUCCESS;
  if (nFrames < 0 || nFrames > kMaxBlockFrames || !inputs || !outputs)
    return ACF_ERROR_INVALID_ARGUMENT;
  const int nIn = mExporter.NIn(), nOut = mExporter.NOut();
  for (int c = 0; c < nIn; ++c)
    if (!inputs[c])
      return ACF_ERROR_INVALID_ARGUMENT;
  for (int c = 0; c < nOut; ++c)
    if (!outputs[c])
      return ACF_ERROR_INVALID_ARGUMENT;

  ITimeInfo& time = mExporter.Time();
  time = ITimeInfo();
  // The one host call of the audio thread: the interface's own transport
  // query, made once per block.
  AcfTimeInfo t{};
  if (mHost.getTimeInfo && mHost.getTimeInfo(mHost.user, &t))
  {
    time.mTempo = t.tempo;
    time.mSamplePos = t.samplePos;
    time.mPPQPos = t.ppqPos;
    time.mLastBar = t.lastBar;
    time.mNumerator = t.numerator;
    time.mDenominator = t.denominator;
    time.mTransportIsRunning = t.playing != 0;
  }
  mExporter.Process(inputs, outputs, 0, static_cast<uint32_t>(nFrames));
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
  *chunkId = static_cast<uint32_t>(Plug()->GetUniqueID());
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::ChunkSize(uint32_t chunkId, int32_t* size)
{
  if (!size)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (chunkId != static_cast<uint32_t>(Plug()->GetUniqueID()))
  {
    *size = 0;
    return ACF_ERROR_INVALID_CHUNK_ID;
  }
  ByteChunk chunk;
  mExporter.SaveState(&chunk);
  *size = chunk.Size();
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::GetChunk(uint32_t chunkId, AcfChunkHeader* header, int32_t capacity)
{
  if (!header || capacity < 0)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (chunkId != static_cast<uint32_t>(Plug()->GetUniqueID()))
    return ACF_ERROR_INVALID_CHUNK_ID;
  ByteChunk chunk;
  if (!mExporter.SaveState(&chunk))
    return ACF_ERROR_INVALID_CHUNK_ID;
  if (chunk.Size() > capacity)
    return ACF_ERROR_INVALID_ARGUMENT;
  header->size = chunk.Size();
  header->version = 1;
  header->manufacturerId = static_cast<uint32_t>(Plug()->GetMfrID());
  header->productId = static_cast<uint32_t>(Plug()->GetUniqueID());
  header->pluginId = static_cast<uint32_t>(Plug()->GetUniqueID());
  header->chunkId = chunkId;
  CopyText(header->name, sizeof header->name, Plug()->GetEffectName());
  std::memcpy(reinterpret_cast<uint8_t*>(header + 1), chunk.GetBytes(), static_cast<size_t>(chunk.Size()));
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::SetChunk(uint32_t chunkId, const AcfChunkHeader* header)
{
  if (!header)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (chunkId != static_cast<uint32_t>(Plug()->GetUniqueID()))
    return ACF_ERROR_INVALID_CHUNK_ID;
  if (header->size < 0 || header->size > kMaxChunkBytes)
    return ACF_ERROR_INVALID_ARGUMENT;

  mExporter.RestoreState(header + 1, static_cast<size_t>(header->size));

  // The host hears the restored values in its own call, outside our locks;
  // they are copied under the state mutex.
  const std::vector<double> values = Plug()->CopyNormalizedParams();
  for (int i = 0; i < static_cast<int>(values.size()); ++i)
    SetValue(i, values[static_cast<size_t>(i)], false);
  ++mChangeCounter;
  return ACF_SUCCESS;
}

AcfResult IPlugAAX::CompareActiveChunk(const AcfChunkHeader* header, int32_t* isEqual)
{
  if (!header || !isEqual)
    return ACF_ERROR_INVALID_ARGUMENT;
  if (header->chunkId != static_cast<uint32_t>(Plug()->GetUniqueID()))
  {
    *isEqual = 1;
    return ACF_SUCCESS;
  }
  const int32_t size = std::clamp(header->size, 0, kMaxChunkBytes);
  *isEqual = mExporter.StateEquals(header + 1, static_cast<size_t>(size)) ? 1 : 0;
  return ACF_SUCCESS;
}

void IPlugAAX::BeginEdit(int idx)
{
  char id[16];
  HostID(idx, id, sizeof id);
  if (mHost.beginEdit)
    mHost.beginEdit(mHost.user, id);
}

void IPlugAAX::SetValue(int idx, double normalized, bool)
{
  char id[16];
  HostID(idx, id, sizeof id);
  if (mHost.setValue)
    mHost.setValue(mHost.user, id, normalized);
}

void IPlugAAX::EndEdit(int idx)
{
  char id[16];
  HostID(idx, id, sizeof id);
  if (mHost.endEdit)
    mHost.endEdit(mHost.user, id);
}

void IPlugAAX::Resized(int width, int height)
{
  if (mHost.viewResized)
    mHost.viewResized(mHost.user, width, height);
}

AcfResult IPlugAAX::Deliver(AcfResult result)
{
  mExporter.DeliverNotifications(*this);
  return result;
}

AcfResult IPlugAAX::EditorSize(int32_t* width, int32_t* height)
{
  if (!width || !height)
    return ACF_ERROR_INVALID_ARGUMENT;
  int w = 0, h = 0;
  if (!mExporter.EditorSize(&w, &h))
    return ACF_ERROR_UNIMPLEMENTED;
  *width = w;
  *height = h;
  return Deliver(ACF_SUCCESS);
}

AcfResult IPlugAAX::EditorOpen(uintptr_t parent)
{
  if (!mExporter.Editor())
    return ACF_ERROR_UNIMPLEMENTED;
  return Deliver(mExporter.OpenEditor(parent) ? ACF_SUCCESS : ACF_ERROR_INVALID_ARGUMENT);
}

AcfResult IPlugAAX::EditorClose()
{
  if (!mExporter.Editor())
    return ACF_ERROR_UNIMPLEMENTED;
  mExporter.CloseEditor();
  return Deliver(ACF_SUCCESS);
}

AcfResult IPlugAAX::EditorIdle()
{
  if (!mExporter.Editor())
    return ACF_ERROR_UNIMPLEMENTED;
  mExporter.IdleEditor();
  return Deliver(ACF_SUCCESS);
}

AcfResult IPlugAAX::EditorSnapshot(bool graphOnly, uint8_t* rgba, int32_t width, int32_t height)
{
  if (!rgba || width <= 0 || height <= 0)
    return ACF_ERROR_INVALID_ARGUMENT;
  IGraphics* g = mExporter.Editor();
  if (!g)
    return ACF_ERROR_UNIMPLEMENTED;
  if (graphOnly)
  {
    if (width % 4 || height % 4)
      return ACF_ERROR_INVALID_ARGUMENT;
    return Deliver(Plug()->SnapshotGraph(rgba, width, height) ? ACF_SUCCESS : ACF_ERROR_UNIMPLEMENTED);
  }
  AcfResult result = ACF_SUCCESS;
  {
    WDL_MutexLock editor(&g->GetEditorMutex());
    g->SyncWithPlug();
    if (width != g->Width() || height != g->Height())
      result = ACF_ERROR_INVALID_ARGUMENT;
    else if (!g->Snapshot(rgba, width, height))
      // Events handled first may have resized it.
      result = width != g->Width() || height != g->Height() ? ACF_ERROR_INVALID_ARGUMENT : ACF_ERROR_UNIMPLEMENTED;
  }
  return Deliver(result);
}
