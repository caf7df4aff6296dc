// The LV2 UI adapter: the plug-in's own editor, reached through
// instance-access, opened inside the host's parent window and driven by the
// host's idle calls. After each idle it hands the host what the plug-in
// queued: parameter changes as port writes with touch, editor size changes
// as ui:resize. A value only echoed for a redraw is not written.
#pragma once

#include "framework/IPlugExporter.h"

#include <lv2/ui/ui.h>

#include <cstdint>

class IPlugLV2;

class IPlugLV2UI : private IPlugExporter::HostSink
{
public:
  IPlugLV2UI(IPlugLV2* plug, LV2UI_Write_Function write, LV2UI_Controller controller,
             const LV2_Feature* const* features);
  ~IPlugLV2UI() override;

  // Opens the editor; false when the plug-in has none, another UI shows
  // it, or no window could be made.
  bool Open(LV2UI_Widget* widget);
  // 0 while the editor is open.
  int Idle();

private:
  void BeginEdit(int idx) override;
  void SetValue(int idx, double normalized, bool echo) override;
  void EndEdit(int idx) override;
  void Resized(int width, int height) override;
  void Touch(int idx, bool grabbed);

  IPlugLV2* mPlug;
  LV2UI_Write_Function mWrite;
  LV2UI_Controller mController;
  uintptr_t mParent = 0;
  const LV2UI_Resize* mResize = nullptr;
  const LV2UI_Touch* mTouch = nullptr;
  bool mAttached = false;
};
