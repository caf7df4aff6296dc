// The LV2 UI adapter: the plug-in's own editor, reached through
// instance-access, opened inside the host's parent window and driven by the
// host's idle calls; parameter changes go back to the host as port writes
// with touch, editor size changes as ui:resize.
#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>

class IPlugLV2;

class IPlugLV2UI
{
public:
  IPlugLV2UI(IPlugLV2* plug, LV2UI_Write_Function write, LV2UI_Controller controller,
             const LV2_Feature* const* features);
  ~IPlugLV2UI();

  // Opens the editor; false when the plug-in has none, another UI shows
  // it, or no window could be made.
  bool Open(LV2UI_Widget* widget);
  // 0 while the editor is open.
  int Idle();

  void WritePort(uint32_t port, float value);
  void Touch(uint32_t port, bool grabbed);
  void Resize(int w, int h);

private:
  IPlugLV2* mPlug;
  LV2UI_Write_Function mWrite;
  LV2UI_Controller mController;
  uintptr_t mParent = 0;
  const LV2UI_Resize* mResize = nullptr;
  const LV2UI_Touch* mTouch = nullptr;
  bool mAttached = false;
};
