#include "Lv2PluginUi.h"

#include "HostError.h"

#include <lv2/instance-access/instance-access.h>

#include <dlfcn.h>

#include <cstring>

Lv2PluginUi::Lv2PluginUi(Lv2Plugin& plugin, unsigned long parentWindow) : mPlugin(plugin)
{
  LilvWorld* world = plugin.world();
  LilvUIs* uis = lilv_plugin_get_uis(plugin.plugin());
  LilvNode* x11 = lilv_new_uri(world, LV2_UI__X11UI);
  const LilvUI* found = nullptr;
  LILV_FOREACH(uis, i, uis)
  {
    const LilvUI* ui = lilv_uis_get(uis, i);
    if (lilv_ui_is_a(ui, x11))
      found = ui;
  }
  lilv_node_free(x11);
  if (!found)
  {
    lilv_uis_free(uis);
    throw HostError("the plug-in has no X11 UI");
  }
  const std::string uri = lilv_node_as_uri(lilv_ui_get_uri(found));
  char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(found)), nullptr);
  char* bundle = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_bundle_uri(found)), nullptr);
  const std::string binaryPath = binary ? binary : "", bundlePath = bundle ? bundle : "";
  lilv_free(binary);
  lilv_free(bundle);
  lilv_uis_free(uis);

  // Kept mapped to the end, as most hosts keep their plug-ins: the GL driver
  // that the UI pulled in must still have its name when leaks are reported.
  mLibrary = dlopen(binaryPath.c_str(), RTLD_NOW | RTLD_NODELETE);
  auto entry = mLibrary ? reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(mLibrary, "lv2ui_descriptor")) : nullptr;
  for (uint32_t i = 0; entry && !mDescriptor; ++i)
  {
    const LV2UI_Descriptor* d = entry(i);
    if (!d)
      break;
    if (uri == d->URI)
      mDescriptor = d;
  }
  if (!mDescriptor)
    throw HostError("no lv2ui_descriptor for " + uri + " in " + binaryPath);
  if (mDescriptor->extension_data)
    mIdle = static_cast<const LV2UI_Idle_Interface*>(mDescriptor->extension_data(LV2_UI__idleInterface));

  mResize = {this, &Lv2PluginUi::resize};
  mTouch = {this, &Lv2PluginUi::touch};
  const LV2_Feature features[] = {{LV2_INSTANCE_ACCESS_URI, plugin.handle()},
                                  {LV2_UI__parent, reinterpret_cast<void*>(parentWindow)},
                                  {LV2_URID__map, plugin.map()},
                                  {LV2_UI__resize, &mResize},
                                  {LV2_UI__touch, &mTouch},
                                  {LV2_UI__idleInterface, nullptr}};
  const LV2_Feature* list[] = {&features[0], &features[1], &features[2], &features[3],
                               &features[4], &features[5], nullptr};
  LV2UI_Widget widget = nullptr;
  mHandle = mDescriptor->instantiate(mDescriptor, lilv_node_as_uri(lilv_plugin_get_uri(plugin.plugin())),
                                     bundlePath.c_str(), &Lv2PluginUi::write, this, &widget, list);
  if (!mHandle)
    throw HostError("the UI " + uri + " did not open");
  mWidget = reinterpret_cast<unsigned long>(widget);
  if (mDescriptor->port_event)
    for (const auto& [port, value] : plugin.controlValues())
      mDescriptor->port_event(mHandle, port, sizeof value, 0, &value);
}

Lv2PluginUi::~Lv2PluginUi()
{
  if (mHandle)
    mDescriptor->cleanup(mHandle);
  // The module stays mapped (see the constructor); this only drops the
  // reference taken there.
  if (mLibrary)
    dlclose(mLibrary);
}

bool Lv2PluginUi::idle() { return !mIdle || mIdle->idle(mHandle) == 0; }

float Lv2PluginUi::lastWrite(uint32_t port, float fallback) const
{
  const auto it = mLastWrites.find(port);
  return it == mLastWrites.end() ? fallback : it->second;
}

void Lv2PluginUi::write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                        const void* buffer)
{
  auto* self = static_cast<Lv2PluginUi*>(controller);
  if (protocol != 0 || size != sizeof(float))
    return;
  float value = 0.0f;
  std::memcpy(&value, buffer, sizeof value);
  ++self->mWrites;
  self->mLastWrites[port] = value;
  self->mPlugin.writeFromUi(port, value);
}

int Lv2PluginUi::resize(LV2UI_Feature_Handle handle, int width, int height)
{
  auto* self = static_cast<Lv2PluginUi*>(handle);
  self->mWidth = width;
  self->mHeight = height;
  return 0;
}

void Lv2PluginUi::touch(LV2UI_Feature_Handle handle, uint32_t, bool)
{
  ++static_cast<Lv2PluginUi*>(handle)->mTouches;
}
