// The LV2 binary's entry points: one plug-in descriptor per component of
// the plug-in's description, and the editor UI's descriptor. Thin C
// functions over IPlugLV2 and IPlugLV2UI that never throw.
#include "framework/IGraphics.h"
#include "framework/IPlugExporter.h"
#include "framework/PlugDescription.h"
#include "framework/lv2/IPlugLV2.h"
#include "framework/lv2/IPlugLV2UI.h"
#include "framework/lv2/Lv2Uris.h"

#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace
{
IPlugLV2* Instance(LV2_Handle h) { return static_cast<IPlugLV2*>(h); }

int ComponentOf(const LV2_Descriptor* d);

LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char* bundlePath,
                       const LV2_Feature* const* features)
{
  const int index = ComponentOf(descriptor);
  if (index < 0 || !IPlugExporter::IsUsableSampleRate(rate))
    return nullptr;
  const PlugDescription::Component& comp = GetPlugDescription().components[static_cast<size_t>(index)];
  IPlugBase* plug = nullptr;
  {
    // The editor made with the plug-in finds its pictures, font and manual
    // in the bundle the host found us in.
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    IGraphics::SetDefaultResourceDir(bundlePath);
    plug = CreatePlug();
  }
  if (!plug)
    return nullptr;
  auto* instance = new (std::nothrow) IPlugLV2(plug, comp.nIn, comp.nOut, rate, features);
  if (!instance)
    delete plug;
  return instance;
}

void ConnectPort(LV2_Handle h, uint32_t port, void* data) { Instance(h)->ConnectPort(port, data); }
void Activate(LV2_Handle h) { Instance(h)->Activate(); }
void Run(LV2_Handle h, uint32_t n) { Instance(h)->Run(n); }
void Deactivate(LV2_Handle) {}
void Cleanup(LV2_Handle h) { delete Instance(h); }

LV2_State_Status Save(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*)
{
  return Instance(h)->Save(store, handle);
}

LV2_State_Status Restore(LV2_Handle h, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t,
                         const LV2_Feature* const*)
{
  return Instance(h)->Restore(retrieve, handle);
}

const LV2_State_Interface kState = {Save, Restore};

const void* ExtensionData(const char* uri) { return std::strcmp(uri, LV2_STATE__interface) == 0 ? &kState : nullptr; }

struct Descriptors
{
  std::vector<std::string> uris;
  std::vector<LV2_Descriptor> list;

  Descriptors()
  {
    const auto& comps = GetPlugDescription().components;
    for (const auto& c : comps)
      uris.push_back(Lv2Uris::Plugin(c));
    for (const std::string& uri : uris)
      list.push_back({uri.c_str(), Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData});
  }
};

const Descriptors& AllDescriptors()
{
  static const Descriptors d;
  return d;
}

int ComponentOf(const LV2_Descriptor* d)
{
  const auto& list = AllDescriptors().list;
  for (size_t i = 0; i < list.size(); ++i)
    if (&list[i] == d)
      return static_cast<int>(i);
  return -1;
}

// --- The UI ---

IPlugLV2UI* UI(LV2UI_Handle h) { return static_cast<IPlugLV2UI*>(h); }

LV2UI_Handle UiInstantiate(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                           LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
  if (!widget)
    return nullptr;
  void* instance = nullptr;
  for (int i = 0; features && features[i]; ++i)
    if (std::strcmp(features[i]->URI, LV2_INSTANCE_ACCESS_URI) == 0)
      instance = features[i]->data;
  if (!instance)
    return nullptr;
  auto* ui = new (std::nothrow) IPlugLV2UI(Instance(instance), write, controller, features);
  if (ui && !ui->Open(widget))
  {
    delete ui;
    return nullptr;
  }
  return ui;
}

void UiCleanup(LV2UI_Handle h) { delete UI(h); }

// Host values reach the plug-in through its ports in run, which shows them
// in the editor; nothing more to do here.
void UiPortEvent(LV2UI_Handle, uint32_t, uint32_t, uint32_t, const void*) {}

int UiIdle(LV2UI_Handle h) { return UI(h)->Idle(); }

const LV2UI_Idle_Interface kIdle = {UiIdle};

const void* UiExtensionData(const char* uri)
{
  return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdle : nullptr;
}

const LV2UI_Descriptor& UiDescriptor()
{
  static const std::string uri = Lv2Uris::Ui();
  static const LV2UI_Descriptor d = {uri.c_str(), UiInstantiate, UiCleanup, UiPortEvent, UiExtensionData};
  return d;
}
} // namespace

extern "C" {

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
  const auto& list = AllDescriptors().list;
  return index < list.size() ? &list[index] : nullptr;
}

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
  return index == 0 ? &UiDescriptor() : nullptr;
}
}
