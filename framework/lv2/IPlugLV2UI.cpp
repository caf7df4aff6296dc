#include "framework/lv2/IPlugLV2UI.h"

#include "framework/IGraphics.h"
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
  if (IGraphics* g = mPlug->Plug()->GetGUI())
    g->CloseWindow();
  mPlug->DetachUI(this);
}

bool IPlugLV2UI::Open(LV2UI_Widget* widget)
{
  IGraphics* g = mPlug->Plug()->GetGUI();
  if (!g || !mPlug->AttachUI(this))
    return false;
  mAttached = true;
  if (!g->OpenWindow(mParent))
    return false;
  *widget = reinterpret_cast<LV2UI_Widget>(g->GetWindow());
  Resize(g->Width(), g->Height());
  return true;
}

int IPlugLV2UI::Idle()
{
  IGraphics* g = mPlug->Plug()->GetGUI();
  if (!g || !g->IsWindowOpen())
    return 1;
  g->OnIdle();
  return 0;
}

void IPlugLV2UI::WritePort(uint32_t port, float value)
{
  if (mWrite)
    mWrite(mController, port, sizeof value, 0, &value);
}

void IPlugLV2UI::Touch(uint32_t port, bool grabbed)
{
  if (mTouch && mTouch->touch)
    mTouch->touch(mTouch->handle, port, grabbed);
}

void IPlugLV2UI::Resize(int w, int h)
{
  if (mResize && mResize->ui_resize)
    mResize->ui_resize(mResize->handle, w, h);
}
