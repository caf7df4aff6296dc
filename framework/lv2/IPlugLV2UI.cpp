#include "framework/lv2/IPlugLV2UI.h"

#include "framework/IGraphics.h"
#include "framework/IParam.h"
#include "framework/lv2/IPlugLV2.h"
#include "framework/lv2/Lv2Features.h"

#include <lv2/instance-access/instance-access.h>

IPlugLV2UI::IPlugLV2UI(IPlugLV2* plug, LV2UI_Write_Function write, LV2UI_Controller controller,
                       const LV2_Feature* const* features)
  : mPlug(plug), mWrite(write), mController(controller)
{
  mParent = reinterpret_cast<uintptr_t>(FindFeature(features, LV2_UI__parent));
  mResize = static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize));
  mTouch = static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch));
}

IPlugLV2UI::~IPlugLV2UI()
{
  if (!mAttached)
    return;
  mPlug->Exporter().CloseEditor();
  // What the editor did since the last idle is this UI's to tell, not the
  // next one's.
  mPlug->Exporter().DeliverNotifications(*this);
  mPlug->DetachUI(this);
}

bool IPlugLV2UI::Open(LV2UI_Widget* widget)
{
  IGraphics* g = mPlug->Plug()->GetGUI();
  if (!g || !mPlug->AttachUI(this))
    return false;
  mAttached = true;
  if (!mPlug->Exporter().OpenEditor(mParent))
    return false;
  *widget = reinterpret_cast<LV2UI_Widget>(g->GetWindow());
  Resized(g->Width(), g->Height());
  return true;
}

int IPlugLV2UI::Idle()
{
  IPlugExporter& exporter = mPlug->Exporter();
  const bool open = exporter.IdleEditor();
  exporter.DeliverNotifications(*this);
  return open ? 0 : 1;
}

void IPlugLV2UI::BeginEdit(int idx) { Touch(idx, true); }

void IPlugLV2UI::EndEdit(int idx) { Touch(idx, false); }

void IPlugLV2UI::Touch(int idx, bool grabbed)
{
  if (mTouch && mTouch->touch)
    mTouch->touch(mTouch->handle, static_cast<uint32_t>(mPlug->Layout().Param(idx)), grabbed);
}

void IPlugLV2UI::SetValue(int idx, double normalized, bool echo)
{
  // The graph's redraw echo would be a port write per tick for nothing.
  const IParam* p = mPlug->Exporter().Param(idx);
  if (echo || !mWrite || !p)
    return;
  const float value = static_cast<float>(p->FromNormalized(normalized));
  mWrite(mController, static_cast<uint32_t>(mPlug->Layout().Param(idx)), sizeof value, 0, &value);
}

void IPlugLV2UI::Resized(int width, int height)
{
  if (mResize && mResize->ui_resize)
    mResize->ui_resize(mResize->handle, width, height);
}
