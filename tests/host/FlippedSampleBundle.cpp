// A deliberately broken bundle for the hosts' pass-through tests: every
// entry point is the real bundle's, but its effect's render flips the sign
// of one output sample (the left channel's 1000th non-zero one), so that a
// bit-for-bit check must fail on it. Built as its own module, never part of
// the plug-in.
#include "acf/acf.h"

#include <dlfcn.h>

#include <cstring>

namespace
{
constexpr long kFlippedSample = 1000;

void* realLibrary()
{
  static void* handle = dlopen(CREST_REAL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  return handle;
}

template <typename Function>
Function entry(const char* name)
{
  void* handle = realLibrary();
  return handle ? reinterpret_cast<Function>(dlsym(handle, name)) : nullptr;
}

const AcfEffectFactory* gReal = nullptr;
AcfEffectFactory gBroken{};
long gNonZero = 0; // counted on the rendering thread only

AcfResult brokenRender(AcfEffect* effect, const float* const* inputs, float* const* outputs, int32_t frames)
{
  const AcfResult r = gReal->render(effect, inputs, outputs, frames);
  for (int32_t i = 0; r == ACF_SUCCESS && i < frames; ++i)
    if (inputs[0][i] != 0.0f && ++gNonZero == kFlippedSample)
      outputs[0][i] = -outputs[0][i];
  return r;
}
} // namespace

extern "C" {
ACF_EXPORT AcfResult ACFStartup(void)
{
  auto f = entry<AcfResult (*)()>("ACFStartup");
  return f ? f() : ACF_ERROR_UNIMPLEMENTED;
}

ACF_EXPORT AcfResult ACFShutdown(void)
{
  auto f = entry<AcfResult (*)()>("ACFShutdown");
  return f ? f() : ACF_ERROR_UNIMPLEMENTED;
}

ACF_EXPORT AcfResult ACFGetSDKVersion(uint64_t* version)
{
  auto f = entry<AcfResult (*)(uint64_t*)>("ACFGetSDKVersion");
  return f ? f(version) : ACF_ERROR_UNIMPLEMENTED;
}

ACF_EXPORT AcfResult ACFCanUnloadNow(void)
{
  auto f = entry<AcfResult (*)()>("ACFCanUnloadNow");
  return f ? f() : ACF_ERROR_UNIMPLEMENTED;
}

ACF_EXPORT AcfResult ACFRegisterPlugin(AcfDescription* description)
{
  auto f = entry<AcfResult (*)(AcfDescription*)>("ACFRegisterPlugin");
  return f ? f(description) : ACF_ERROR_UNIMPLEMENTED;
}

ACF_EXPORT AcfResult ACFRegisterComponent(int32_t index, AcfComponent* component)
{
  auto f = entry<AcfResult (*)(int32_t, AcfComponent*)>("ACFRegisterComponent");
  return f ? f(index, component) : ACF_ERROR_UNIMPLEMENTED;
}

ACF_EXPORT AcfResult ACFGetClassFactory(const char* name, const void** factory)
{
  auto f = entry<AcfResult (*)(const char*, const void**)>("ACFGetClassFactory");
  if (!f)
    return ACF_ERROR_UNIMPLEMENTED;
  const AcfResult r = f(name, factory);
  if (r == ACF_SUCCESS && name && std::strcmp(name, "effect") == 0)
  {
    gReal = static_cast<const AcfEffectFactory*>(*factory);
    gBroken = *gReal;
    gBroken.render = &brokenRender;
    *factory = &gBroken;
  }
  return r;
}
}
