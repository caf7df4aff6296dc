#pragma once

#include "acf/acf.h"

#include <cstddef>
#include <string>
#include <vector>

// One loaded bundle: the library opened with dlopen, started, its description
// and components read and its effect factory looked up. Shut down (not
// unloaded) on destruction.
class PluginBundle
{
public:
  explicit PluginBundle(const std::string& bundleDir);
  ~PluginBundle();

  PluginBundle(const PluginBundle&) = delete;
  PluginBundle& operator=(const PluginBundle&) = delete;

  const std::string& libraryPath() const { return mLibraryPath; }
  uint64_t sdkVersion() const { return mSdkVersion; }
  const AcfDescription& description() const { return mDescription; }
  const std::vector<AcfComponent>& components() const { return mComponents; }
  const AcfEffectFactory& factory() const { return *mFactory; }

  // Index of the component with `channels` inputs and outputs, or -1.
  int componentFor(int channels) const;

  // "TeSa" for printable codes, else hexadecimal.
  static std::string fourCC(uint32_t code);
  // A fixed text field that may lack its terminator.
  static std::string text(const char* field, std::size_t size);

private:
  void* symbol(const char* name);

  std::string mLibraryPath;
  void* mHandle = nullptr;
  bool mStarted = false;
  uint64_t mSdkVersion = 0;
  AcfDescription mDescription{};
  std::vector<AcfComponent> mComponents;
  const AcfEffectFactory* mFactory = nullptr;
  AcfResult (*mShutdown)() = nullptr;
};
