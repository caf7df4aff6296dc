// The CLAP module's entry: clap_entry and its plug-in factory, one
// descriptor per component of the plug-in's description. The editor's
// pictures, font and manual are in the folder beside the module named after
// it ("QX-Crest.clap" finds "QX-Crest.resources"). Thin C functions over
// IPlugCLAP that never throw.
#include "framework/IGraphics.h"
#include "framework/IPlugExporter.h"
#include "framework/PlugDescription.h"
#include "framework/clap/IPlugCLAP.h"

#include <clap/entry.h>
#include <clap/plugin-factory.h>
#include <clap/plugin-features.h>
#include <clap/version.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace
{
struct Descriptors
{
  struct Entry
  {
    std::string id, name, version;
    std::vector<const char*> features;
    clap_plugin_descriptor_t descriptor{};
    int component = 0;
  };
  std::vector<Entry> list;

  Descriptors()
  {
    const PlugDescription& desc = GetPlugDescription();
    list.resize(desc.components.size());
    for (size_t i = 0; i < list.size(); ++i)
    {
      const PlugDescription::Component& c = desc.components[i];
      Entry& e = list[i];
      e.component = static_cast<int>(i);
      e.id = std::string(desc.bundleId) + "." + c.layoutName;
      e.name = PlugComponentName(c);
      e.version = PlugVersionText();
      e.features = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_ANALYZER, c.layoutName, nullptr};
      e.descriptor.clap_version = CLAP_VERSION;
      e.descriptor.id = e.id.c_str();
      e.descriptor.name = e.name.c_str();
      e.descriptor.vendor = desc.makerName;
      e.descriptor.url = desc.uri;
      e.descriptor.manual_url = "";
      e.descriptor.support_url = "";
      e.descriptor.version = e.version.c_str();
      e.descriptor.description = "Spectrum analyser: a live 3-D landscape of the input, passed through untouched";
      e.descriptor.features = e.features.data();
    }
  }
};

const Descriptors& AllDescriptors()
{
  static const Descriptors d;
  return d;
}

uint32_t FactoryCount(const clap_plugin_factory_t*) { return static_cast<uint32_t>(AllDescriptors().list.size()); }

const clap_plugin_descriptor_t* FactoryDescriptor(const clap_plugin_factory_t*, uint32_t index)
{
  const auto& list = AllDescriptors().list;
  return index < list.size() ? &list[index].descriptor : nullptr;
}

const clap_plugin_t* FactoryCreate(const clap_plugin_factory_t*, const clap_host_t* host, const char* id)
{
  if (!host || !id || !clap_version_is_compatible(host->clap_version))
    return nullptr;
  for (const auto& e : AllDescriptors().list)
  {
    if (e.id != id)
      continue;
    const PlugDescription::Component& comp = GetPlugDescription().components[static_cast<size_t>(e.component)];
    IPlugBase* plug = CreatePlug();
    if (!plug)
      return nullptr;
    auto* instance = new (std::nothrow) IPlugCLAP(plug, comp.nIn, comp.nOut, &e.descriptor, host);
    if (!instance)
    {
      delete plug;
      return nullptr;
    }
    return instance->ClapPlugin();
  }
  return nullptr;
}

const clap_plugin_factory_t kFactory = {FactoryCount, FactoryDescriptor, FactoryCreate};

bool EntryInit(const char* path)
{
  if (!path)
    return false;
  char resolved[PATH_MAX];
  std::string module = realpath(path, resolved) ? resolved : path;
  const size_t slash = module.rfind('/');
  std::string dir = slash == std::string::npos ? "." : module.substr(0, slash);
  std::string name = slash == std::string::npos ? module : module.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos)
    name.resize(dot);
  // Only this module's plug-ins read it, and the host makes them after init.
  IGraphics::SetDefaultResourceDir((dir + "/" + name + ".resources").c_str());
  AllDescriptors();
  return true;
}

void EntryDeinit() {}

const void* EntryFactory(const char* id)
{
  return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}
} // namespace

extern "C" {
CLAP_EXPORT extern const clap_plugin_entry_t clap_entry;
const clap_plugin_entry_t clap_entry = {CLAP_VERSION, EntryInit, EntryDeinit, EntryFactory};
}
