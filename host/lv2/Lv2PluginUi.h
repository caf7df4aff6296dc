#pragma once

#include "Lv2Plugin.h"

#include <lv2/ui/ui.h>

#include <map>
#include <string>

// The plug-in's X11 UI as a host opens it: found through lilv, its
// lv2ui_descriptor taken from its binary, instantiated with instance-access
// to the running plug-in, ui:parent (the host's window), urid:map, resize,
// touch and the idle interface; told the control values, then idled. Port
// writes go on to the plug-in. Every call belongs to the UI thread.
class Lv2PluginUi
{
public:
  // Throws HostError when the plug-in has no X11 UI or it does not open.
  Lv2PluginUi(Lv2Plugin& plugin, unsigned long parentWindow);
  ~Lv2PluginUi();

  Lv2PluginUi(const Lv2PluginUi&) = delete;
  Lv2PluginUi& operator=(const Lv2PluginUi&) = delete;

  unsigned long widget() const { return mWidget; }
  // The size the UI asked for through ui:resize (0 before it asked).
  int width() const { return mWidth; }
  int height() const { return mHeight; }
  // One idle call; false once the UI asks to be closed.
  bool idle();

  int writes() const { return mWrites; }
  int touches() const { return mTouches; }
  // The last value the UI wrote to a port, or `fallback` when it wrote none.
  float lastWrite(uint32_t port, float fallback) const;

private:
  static void write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer);
  static int resize(LV2UI_Feature_Handle handle, int width, int height);
  static void touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed);

  Lv2Plugin& mPlugin;
  void* mLibrary = nullptr;
  const LV2UI_Descriptor* mDescriptor = nullptr;
  const LV2UI_Idle_Interface* mIdle = nullptr;
  LV2UI_Handle mHandle = nullptr;
  unsigned long mWidget = 0;
  int mWidth = 0, mHeight = 0;
  int mWrites = 0, mTouches = 0;
  std::map<uint32_t, float> mLastWrites;
  LV2UI_Resize mResize{};
  LV2UI_Touch mTouch{};
};
