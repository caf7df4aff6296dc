// The VST3 module's entry points: the factory, and the calls a Linux host
// makes when it loads and unloads the module (nothing to do: the factory
// and the plug-ins' shared tables are made when first used).
#include "framework/vst3/Vst3Factory.h"

extern "C" {

__attribute__((visibility("default"))) v3_plugin_factory** GetPluginFactory()
{
  return Vst3Factory::Get().Interface();
}

__attribute__((visibility("default"))) bool ModuleEntry(void*) { return true; }

__attribute__((visibility("default"))) bool ModuleExit() { return true; }
}
