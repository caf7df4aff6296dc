#include "PluginBundle.h"

#include "HostError.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace
{
std::string libraryIn(std::string dir)
{
  while (dir.size() > 1 && dir.back() == '/')
    dir.pop_back();
  const std::size_t slash = dir.find_last_of('/');
  std::string name = slash == std::string::npos ? dir : dir.substr(slash + 1);
  const std::string suffix = ".bundle";
  if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
    name.resize(name.size() - suffix.size());
  else
    name = "QX-Crest";
  return dir + "/Contents/Linux/" + name + ".so";
}

bool isFile(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string failure(const char* call, AcfResult r)
{
  return std::string(call) + " failed (result " + std::to_string(r) + ")";
}
}

PluginBundle::PluginBundle(const std::string& bundleDir) : mLibraryPath(libraryIn(bundleDir))
{
  if (!isFile(mLibraryPath))
    throw HostError("no bundle at " + bundleDir + " (missing " + mLibraryPath + ")");
  mHandle = dlopen(mLibraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle)
  {
    const char* why = dlerror();
    throw HostError("cannot load " + mLibraryPath + ": " + (why ? why : "unknown error"));
  }

  try
  {
    auto startup = reinterpret_cast<AcfResult (*)()>(symbol("ACFStartup"));
    mShutdown = reinterpret_cast<AcfResult (*)()>(symbol("ACFShutdown"));
    auto getVersion = reinterpret_cast<AcfResult (*)(uint64_t*)>(symbol("ACFGetSDKVersion"));
    auto registerPlugin = reinterpret_cast<AcfResult (*)(AcfDescription*)>(symbol("ACFRegisterPlugin"));
    auto registerComponent = reinterpret_cast<AcfResult (*)(int32_t, AcfComponent*)>(symbol("ACFRegisterComponent"));
    auto getFactory = reinterpret_cast<AcfResult (*)(const char*, const void**)>(symbol("ACFGetClassFactory"));

    AcfResult r = getVersion(&mSdkVersion);
    if (r != ACF_SUCCESS)
      throw HostError(failure("ACFGetSDKVersion", r));
    if ((mSdkVersion >> 16) != (ACF_SDK_VERSION >> 16))
    {
      char msg[128];
      std::snprintf(msg, sizeof msg, "bundle interface version 0x%08llx does not match the host's 0x%08x",
                    static_cast<unsigned long long>(mSdkVersion), ACF_SDK_VERSION);
      throw HostError(msg);
    }

    r = startup();
    if (r != ACF_SUCCESS)
      throw HostError(failure("ACFStartup", r));
    mStarted = true;

    r = registerPlugin(&mDescription);
    if (r != ACF_SUCCESS)
      throw HostError(failure("ACFRegisterPlugin", r));
    if (mDescription.numComponents < 1 || mDescription.numComponents > 64)
      throw HostError("bundle declares " + std::to_string(mDescription.numComponents) + " components");
    for (int32_t i = 0; i < mDescription.numComponents; ++i)
    {
      AcfComponent c{};
      r = registerComponent(i, &c);
      if (r != ACF_SUCCESS)
        throw HostError(failure("ACFRegisterComponent", r) + " for component " + std::to_string(i));
      mComponents.push_back(c);
    }

    const void* factory = nullptr;
    r = getFactory("effect", &factory);
    if (r != ACF_SUCCESS || !factory)
      throw HostError(failure("ACFGetClassFactory(\"effect\")", r));
    mFactory = static_cast<const AcfEffectFactory*>(factory);
  }
  catch (...)
  {
    if (mStarted && mShutdown)
      mShutdown();
    dlclose(mHandle);
    throw;
  }
}

PluginBundle::~PluginBundle()
{
  if (mStarted && mShutdown)
    mShutdown();
  // The library stays mapped: the host exits right after, and unloading would
  // strand the tables the bundle builds once per process (leak checkers then
  // report them) and any exit handlers its GL driver registered.
}

void* PluginBundle::symbol(const char* name)
{
  dlerror();
  void* p = dlsym(mHandle, name);
  if (!p)
    throw HostError(mLibraryPath + " lacks the entry point " + name);
  return p;
}

int PluginBundle::componentFor(int channels) const
{
  for (std::size_t i = 0; i < mComponents.size(); ++i)
    if (mComponents[i].numInputs == channels && mComponents[i].numOutputs == channels)
      return static_cast<int>(i);
  return -1;
}

std::string PluginBundle::fourCC(uint32_t code)
{
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    if (c < 0x20 || c > 0x7E)
    {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%08x", code);
      return hex;
    }
    s += c;
  }
  return s;
}

std::string PluginBundle::text(const char* field, std::size_t size)
{
  return std::string(field, strnlen(field, size));
}
