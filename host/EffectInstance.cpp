#include "EffectInstance.h"

#include "HostError.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
constexpr double kTempo = 120.0;

std::string resultText(AcfResult r) { return "(result " + std::to_string(r) + ")"; }

void check(AcfResult r, const std::string& what)
{
  if (r != ACF_SUCCESS)
    throw HostError(what + " failed " + resultText(r));
}

void checkEditor(AcfResult r, const std::string& what)
{
  if (r == ACF_ERROR_UNIMPLEMENTED)
    throw HostError("the bundle has no editor " + resultText(r));
  check(r, what);
}
}

EffectInstance::EffectInstance(const AcfEffectFactory& factory, int componentIndex, const AcfComponent& component)
  : mFactory(factory), mComponentIndex(componentIndex), mComponent(component), mChannels(component.numInputs)
{
  AcfHostCallbacks host{};
  host.user = this;
  host.beginEdit = &EffectInstance::beginEdit;
  host.setValue = &EffectInstance::setValue;
  host.endEdit = &EffectInstance::endEdit;
  host.getTimeInfo = &EffectInstance::getTimeInfo;
  host.viewResized = &EffectInstance::viewResized;
  const AcfResult r = mFactory.create(componentIndex, &host, &mEffect);
  if (r != ACF_SUCCESS || !mEffect)
    throw HostError("creating the effect for component " + std::to_string(componentIndex) + " failed " +
                    resultText(r));
}

EffectInstance::~EffectInstance()
{
  if (mEditorOpen)
    mFactory.editorClose(mEffect);
  mFactory.destroy(mEffect);
}

void EffectInstance::initialize(double sampleRate)
{
  check(mFactory.initialize(mEffect, sampleRate), "initialising the effect");
  mSampleRate = sampleRate;
}

std::vector<AcfParameterInfo> EffectInstance::parameters()
{
  std::vector<AcfParameterInfo> list;
  const int32_t n = mFactory.numParameters(mEffect);
  for (int32_t i = 0; i < n; ++i)
  {
    AcfParameterInfo info{};
    check(mFactory.parameterInfo(mEffect, i, &info), "reading parameter " + std::to_string(i));
    info.id[sizeof info.id - 1] = '\0';
    list.push_back(info);
  }
  return list;
}

double EffectInstance::normalizedValue(const std::string& id)
{
  double v = 0.0;
  check(mFactory.getParameter(mEffect, id.c_str(), &v), "reading parameter " + id);
  return v;
}

std::string EffectInstance::display(const std::string& id)
{
  char text[256] = {};
  check(mFactory.parameterDisplay(mEffect, id.c_str(), text, sizeof text), "reading the display of parameter " + id);
  text[sizeof text - 1] = '\0';
  return text;
}

void EffectInstance::setNormalized(const std::string& id, double normalized)
{
  const AcfResult r = mFactory.updateParameter(mEffect, id.c_str(), normalized);
  if (r == ACF_ERROR_INVALID_PARAMETER_ID)
    throw HostError("unknown parameter \"" + id + "\" " + resultText(r));
  if (r != ACF_SUCCESS)
  {
    char value[64];
    std::snprintf(value, sizeof value, "%g", normalized);
    throw HostError("parameter " + id + " refused value " + value + " " + resultText(r));
  }
}

uint32_t EffectInstance::stateChunkId()
{
  if (mFactory.numChunks(mEffect) < 1)
    throw HostError("the effect offers no state chunk");
  uint32_t id = 0;
  check(mFactory.chunkIdByIndex(mEffect, 0, &id), "asking for the state chunk's identifier");
  return id;
}

std::vector<uint8_t> EffectInstance::saveChunk()
{
  const uint32_t id = stateChunkId();
  int32_t size = 0;
  check(mFactory.chunkSize(mEffect, id, &size), "asking for the state chunk's size");
  if (size < 0)
    throw HostError("the effect reports a state chunk of " + std::to_string(size) + " bytes");
  std::vector<uint8_t> record(sizeof(AcfChunkHeader) + static_cast<std::size_t>(size));
  auto* header = reinterpret_cast<AcfChunkHeader*>(record.data());
  check(mFactory.getChunk(mEffect, id, header, size), "saving the state chunk");
  if (header->size < 0 || header->size > size)
    throw HostError("the effect wrote a state chunk of " + std::to_string(header->size) + " bytes into room for " +
                    std::to_string(size));
  const uint8_t* data = record.data() + sizeof(AcfChunkHeader);
  return std::vector<uint8_t>(data, data + header->size);
}

void EffectInstance::restoreChunk(const std::vector<uint8_t>& data)
{
  const uint32_t id = stateChunkId();
  std::vector<uint8_t> record(sizeof(AcfChunkHeader) + data.size());
  auto* header = reinterpret_cast<AcfChunkHeader*>(record.data());
  header->size = static_cast<int32_t>(data.size());
  header->manufacturerId = mComponent.manufacturerId;
  header->productId = mComponent.productId;
  header->pluginId = mComponent.nativeTypeId;
  header->chunkId = id;
  if (!data.empty())
    std::memcpy(record.data() + sizeof(AcfChunkHeader), data.data(), data.size());
  check(mFactory.setChunk(mEffect, id, header), "restoring the state chunk");
}

void EffectInstance::render(const float* const* inputs, float* const* outputs, int frames)
{
  // The message is built only on failure: it would allocate on every block.
  const AcfResult r = renderBlock(inputs, outputs, frames);
  if (r != ACF_SUCCESS)
    check(r, "rendering a block");
}

AcfResult EffectInstance::renderBlock(const float* const* inputs, float* const* outputs, int frames) noexcept
{
  const AcfResult r = mFactory.render(mEffect, inputs, outputs, frames);
  if (r == ACF_SUCCESS)
    mPosition += frames;
  return r;
}

void EffectInstance::editorSize(int& width, int& height)
{
  int32_t w = 0;
  int32_t h = 0;
  checkEditor(mFactory.editorSize(mEffect, &w, &h), "asking for the editor's size");
  width = w;
  height = h;
}

void EffectInstance::openEditor(uintptr_t parentView)
{
  checkEditor(mFactory.editorOpen(mEffect, parentView), "opening the editor");
  mEditorOpen = true;
}

void EffectInstance::closeEditor()
{
  if (!mEditorOpen)
    return;
  mEditorOpen = false;
  check(mFactory.editorClose(mEffect), "closing the editor");
}

void EffectInstance::idleEditor() { checkEditor(mFactory.editorIdle(mEffect), "running the editor's timer"); }

void EffectInstance::snapshot(bool graphOnly, uint8_t* rgba, int width, int height)
{
  checkEditor(mFactory.editorSnapshot(mEffect, graphOnly ? 1 : 0, rgba, width, height),
              "taking a snapshot of the editor");
}

namespace
{
thread_local bool tOnAudioThread = false;
}

void EffectInstance::markAudioThread() { tOnAudioThread = true; }

void EffectInstance::countCallback(void* user)
{
  if (tOnAudioThread)
    ++static_cast<EffectInstance*>(user)->mAudioThreadCallbacks;
}

void EffectInstance::beginEdit(void* user, const char*) { countCallback(user); }

void EffectInstance::setValue(void* user, const char*, double)
{
  ++static_cast<EffectInstance*>(user)->mEdits;
  countCallback(user);
}

void EffectInstance::endEdit(void* user, const char*) { countCallback(user); }

int32_t EffectInstance::getTimeInfo(void* user, AcfTimeInfo* info)
{
  if (!info)
    return 0;
  const auto* self = static_cast<EffectInstance*>(user);
  const double rate = self->mSampleRate > 0.0 ? self->mSampleRate : 44100.0;
  const double samplePos = static_cast<double>(self->mPosition.load());
  info->tempo = kTempo;
  info->samplePos = samplePos;
  info->ppqPos = samplePos / rate * kTempo / 60.0;
  info->lastBar = std::floor(info->ppqPos / 4.0) * 4.0;
  info->numerator = 4;
  info->denominator = 4;
  info->playing = self->mPlaying ? 1 : 0;
  return 1;
}

void EffectInstance::viewResized(void* user, int32_t width, int32_t height)
{
  countCallback(user);
  const auto* self = static_cast<EffectInstance*>(user);
  if (self->mResized)
    self->mResized(width, height);
}
