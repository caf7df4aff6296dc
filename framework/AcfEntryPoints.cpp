// The bundle's component entry points and the effect factory table: thin C
// functions over IPlugAAX that check their arguments and never throw.
#include "acf/acf.h"
#include "framework/CopyText.h"
#include "framework/IPlugAAX.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>

struct AcfEffect
{
  IPlugAAX* plug;
};

namespace
{
std::atomic<int> gLiveEffects{0};

IPlugAAX* Plug(AcfEffect* e) { return e ? e->plug : nullptr; }

AcfResult Create(int32_t componentIndex, const AcfHostCallbacks* host, AcfEffect** effect)
{
  if (!effect)
    return ACF_ERROR_INVALID_ARGUMENT;
  *effect = nullptr;
  const auto& components = GetPlugDescription().components;
  if (componentIndex < 0 || componentIndex >= static_cast<int32_t>(components.size()))
    return ACF_ERROR_INVALID_ARGUMENT;
  const PlugDescription::Component& component = components[static_cast<size_t>(componentIndex)];
  auto* e = new (std::nothrow) AcfEffect{CreatePlugin(component.nIn, component.nOut)};
  if (!e || !e->plug)
  {
    delete e;
    return ACF_ERROR_INVALID_ARGUMENT;
  }
  e->plug->SetHost(host);
  ++gLiveEffects;
  *effect = e;
  return ACF_SUCCESS;
}

void Destroy(AcfEffect* effect)
{
  if (!effect)
    return;
  delete effect->plug;
  delete effect;
  --gLiveEffects;
}

AcfResult Initialize(AcfEffect* e, double sampleRate)
{
  IPlugAAX* p = Plug(e);
  return p ? p->Initialize(sampleRate) : ACF_ERROR_INVALID_ARGUMENT;
}

int32_t NumParameters(AcfEffect* e)
{
  IPlugAAX* p = Plug(e);
  return p ? p->NHostParams() : 0;
}

AcfResult ParameterInfo(AcfEffect* e, int32_t index, AcfParameterInfo* info)
{
  IPlugAAX* p = Plug(e);
  return p ? p->GetHostParamInfo(index, info) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult GetParameter(AcfEffect* e, const char* id, double* normalized)
{
  IPlugAAX* p = Plug(e);
  return p ? p->GetHostParam(id, normalized) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult ParameterDisplay(AcfEffect* e, const char* id, char* text, int32_t size)
{
  IPlugAAX* p = Plug(e);
  return p ? p->GetHostParamDisplay(id, text, size) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult UpdateParameter(AcfEffect* e, const char* id, double normalized)
{
  IPlugAAX* p = Plug(e);
  return p ? p->UpdateHostParam(id, normalized) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult Render(AcfEffect* e, const float* const* inputs, float* const* outputs, int32_t numFrames)
{
  IPlugAAX* p = Plug(e);
  return p ? p->ProcessAudio(inputs, outputs, numFrames) : ACF_ERROR_INVALID_ARGUMENT;
}

int32_t NumChunks(AcfEffect* e) { return Plug(e) ? 1 : 0; }

AcfResult ChunkIdByIndex(AcfEffect* e, int32_t index, uint32_t* chunkId)
{
  IPlugAAX* p = Plug(e);
  return p ? p->ChunkIdByIndex(index, chunkId) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult ChunkSize(AcfEffect* e, uint32_t chunkId, int32_t* size)
{
  IPlugAAX* p = Plug(e);
  return p ? p->ChunkSize(chunkId, size) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult GetChunk(AcfEffect* e, uint32_t chunkId, AcfChunkHeader* chunk, int32_t capacity)
{
  IPlugAAX* p = Plug(e);
  return p ? p->GetChunk(chunkId, chunk, capacity) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult SetChunk(AcfEffect* e, uint32_t chunkId, const AcfChunkHeader* chunk)
{
  IPlugAAX* p = Plug(e);
  return p ? p->SetChunk(chunkId, chunk) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult CompareActiveChunk(AcfEffect* e, const AcfChunkHeader* chunk, int32_t* isEqual)
{
  IPlugAAX* p = Plug(e);
  return p ? p->CompareActiveChunk(chunk, isEqual) : ACF_ERROR_INVALID_ARGUMENT;
}

int32_t ChangeCounter(AcfEffect* e)
{
  IPlugAAX* p = Plug(e);
  return p ? p->ChangeCounter() : 0;
}

AcfResult EditorSize(AcfEffect* e, int32_t* width, int32_t* height)
{
  IPlugAAX* p = Plug(e);
  return p ? p->EditorSize(width, height) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult EditorOpen(AcfEffect* e, uintptr_t parent)
{
  IPlugAAX* p = Plug(e);
  return p ? p->EditorOpen(parent) : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult EditorClose(AcfEffect* e)
{
  IPlugAAX* p = Plug(e);
  return p ? p->EditorClose() : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult EditorIdle(AcfEffect* e)
{
  IPlugAAX* p = Plug(e);
  return p ? p->EditorIdle() : ACF_ERROR_INVALID_ARGUMENT;
}

AcfResult EditorSnapshot(AcfEffect* e, int32_t graphOnly, uint8_t* rgba, int32_t width, int32_t height)
{
  IPlugAAX* p = Plug(e);
  return p ? p->EditorSnapshot(graphOnly != 0, rgba, width, height) : ACF_ERROR_INVALID_ARGUMENT;
}

const AcfEffectFactory kEffectFactory = {
  Create,         Destroy,          Initialize,      NumParameters, ParameterInfo,
  GetParameter,   ParameterDisplay, UpdateParameter, Render,        NumChunks,
  ChunkIdByIndex, ChunkSize,        GetChunk,        SetChunk,      CompareActiveChunk,
  ChangeCounter,  EditorSize,       EditorOpen,      EditorClose,   EditorIdle,
  EditorSnapshot,
};
} // namespace

extern "C" {

ACF_EXPORT AcfResult ACFStartup(void) { return ACF_SUCCESS; }
ACF_EXPORT AcfResult ACFShutdown(void) { return ACF_SUCCESS; }

ACF_EXPORT AcfResult ACFGetSDKVersion(uint64_t* version)
{
  if (!version)
    return ACF_ERROR_INVALID_ARGUMENT;
  *version = ACF_SDK_VERSION;
  return ACF_SUCCESS;
}

ACF_EXPORT AcfResult ACFCanUnloadNow(void) { return gLiveEffects.load() == 0 ? ACF_SUCCESS : 1; }

ACF_EXPORT AcfResult ACFRegisterPlugin(AcfDescription* d)
{
  if (!d)
    return ACF_ERROR_INVALID_ARGUMENT;
  const PlugDescription& desc = GetPlugDescription();
  std::memset(d, 0, sizeof *d);
  for (auto& name : d->effectNames)
    CopyText(name, sizeof name, desc.effectName);
  for (auto& name : d->packageNames)
    CopyText(name, sizeof name, desc.effectName);
  for (auto& name : d->makerNames)
    CopyText(name, sizeof name, desc.makerName);
  d->packageVersion = desc.version;
  d->category = 0;
  d->numComponents = static_cast<int32_t>(desc.components.size());
  CopyText(d->bundleId, sizeof d->bundleId, desc.bundleId);
  return ACF_SUCCESS;
}

ACF_EXPORT AcfResult ACFRegisterComponent(int32_t index, AcfComponent* c)
{
  const PlugDescription& desc = GetPlugDescription();
  if (!c || index < 0 || index >= static_cast<int32_t>(desc.components.size()))
    return ACF_ERROR_INVALID_ARGUMENT;
  const PlugDescription::Component& comp = desc.components[index];
  std::memset(c, 0, sizeof *c);
  c->manufacturerId = desc.manufacturerId;
  c->productId = desc.productId;
  c->nativeTypeId = comp.nativeType;
  c->offlineTypeId = comp.offlineType;
  c->numInputs = comp.nIn;
  c->numOutputs = comp.nOut;
  c->numSideChainInputs = 0;
  c->midiInputEnabled = 0;
  CopyText(c->midiNodeName, sizeof c->midiNodeName, desc.midiNodeName);
  c->transportRequested = 1;
  CopyText(c->transportNodeName, sizeof c->transportNodeName, desc.transportNodeName);
  return ACF_SUCCESS;
}

ACF_EXPORT AcfResult ACFGetClassFactory(const char* name, const void** factory)
{
  if (!name || !factory)
    return ACF_ERROR_INVALID_ARGUMENT;
  *factory = nullptr;
  if (std::strcmp(name, "effect") != 0)
    return ACF_ERROR_INVALID_ARGUMENT;
  *factory = &kEffectFactory;
  return ACF_SUCCESS;
}
}
