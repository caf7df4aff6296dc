#include "framework/vst3/Vst3View.h"

#include "framework/vst3/Vst3Plugin.h"

#include <cstring>

namespace
{
using Face = Vst3Face<Vst3View>;

v3_result Ok() { return V3_OK; }
v3_result No() { return V3_FALSE; }
} // namespace

struct Vst3View::Tables
{
  v3_plugin_view_cpp view{};
  v3_timer_handler_cpp timer{};

  Tables()
  {
    SetUnknown(view);
    SetUnknown(timer);

    v3_plugin_view& v = view.view;
    v.is_platform_type_supported = [](void*, const char* type) {
      return type && std::strcmp(type, V3_VIEW_PLATFORM_TYPE_X11) == 0 ? Ok() : No();
    };
    v.attached = [](void* self, void* parent, const char* type) { return Face::Of(self)->Attached(parent, type); };
    v.removed = [](void* self) { return Face::Of(self)->Removed(); };
    v.on_wheel = [](void*, float) { return No(); };
    v.on_key_down = [](void*, int16_t, int16_t, int16_t) { return No(); };
    v.on_key_up = [](void*, int16_t, int16_t, int16_t) { return No(); };
    v.get_size = [](void* self, v3_view_rect* rect) { return Face::Of(self)->GetSize(rect); };
    // The editor keeps the size it chose (its buttons pick one of three).
    v.on_size = [](void*, v3_view_rect*) { return Ok(); };
    v.on_focus = [](void*, v3_bool) { return Ok(); };
    v.set_frame = [](void* self, v3_plugin_frame** frame) { return Face::Of(self)->SetFrame(frame); };
    v.can_resize = [](void*) { return No(); };
    v.check_size_constraint = [](void* self, v3_view_rect* rect) { return Face::Of(self)->GetSize(rect); };

    timer.timer.on_timer = [](void* self) { Face::Of(self)->Tick(); };
  }
};

const Vst3View::Tables& Vst3View::VTables()
{
  static const Tables tables;
  return tables;
}

Vst3View::Vst3View(Vst3Plugin* plugin) : mView{&VTables().view, this}, mTimer{&VTables().timer, this}, mPlugin(plugin)
{
  mPlugin->Ref();
  // What queued while no view was there is old news.
  mPlugin->Exporter().DropNotifications();
}

Vst3View::~Vst3View()
{
  if (mAttached)
    Removed();
  mPlugin->ViewGone(this);
  mPlugin->Unref();
}

v3_result Vst3View::QueryInterface(const v3_tuid iid, void** obj)
{
  if (!obj)
    return V3_INVALID_ARG;
  Face* face = nullptr;
  if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_view_iid))
    face = &mView;
  else if (v3_tuid_match(iid, v3_timer_handler_iid))
    face = &mTimer;
  return Answer(face, obj);
}

v3_result Vst3View::Attached(void* parent, const char* type)
{
  if (mAttached || !parent || !type || std::strcmp(type, V3_VIEW_PLATFORM_TYPE_X11) != 0)
    return V3_FALSE;
  if (!mPlugin->Exporter().OpenEditor(reinterpret_cast<uintptr_t>(parent)))
    return V3_FALSE;
  mAttached = true;
  StartTimer();
  Deliver();
  return V3_OK;
}

v3_result Vst3View::Removed()
{
  if (!mAttached)
    return V3_FALSE;
  StopTimer();
  mPlugin->Exporter().CloseEditor();
  mAttached = false;
  Deliver();
  return V3_OK;
}

v3_result Vst3View::SetFrame(v3_plugin_frame** frame)
{
  // Not referenced: the frame belongs to the host and outlives the view.
  // Hosts set it before attaching; one that sets it later still gets the
  // timer then.
  StopTimer();
  mFrame = frame;
  if (mAttached)
    StartTimer();
  return V3_OK;
}

void Vst3View::StartTimer()
{
  // The host's run loop comes with its frame on Linux.
  if (!mFrame || mRunLoop)
    return;
  if (v3_cpp_obj_query_interface(mFrame, v3_run_loop_iid, &mRunLoop) != V3_OK || !mRunLoop)
  {
    mRunLoop = nullptr;
    return;
  }
  if (v3_cpp_obj(mRunLoop)->register_timer(mRunLoop, mTimer.As<v3_timer_handler>(), kTickMs) != V3_OK)
  {
    v3_cpp_obj_unref(mRunLoop);
    mRunLoop = nullptr;
  }
}

void Vst3View::StopTimer()
{
  if (!mRunLoop)
    return;
  v3_cpp_obj(mRunLoop)->unregister_timer(mRunLoop, mTimer.As<v3_timer_handler>());
  v3_cpp_obj_unref(mRunLoop);
  mRunLoop = nullptr;
}

v3_result Vst3View::GetSize(v3_view_rect* rect)
{
  int w = 0, h = 0;
  if (!rect || !mPlugin->Exporter().EditorSize(&w, &h))
    return V3_INVALID_ARG;
  *rect = v3_view_rect{0, 0, w, h};
  return V3_OK;
}

void Vst3View::Tick()
{
  if (!mAttached)
    return;
  mPlugin->Exporter().IdleEditor();
  Deliver();
}

void Vst3View::Deliver() { mPlugin->Exporter().DeliverNotifications(*this); }

void Vst3View::BeginEdit(int idx)
{
  if (v3_component_handler** h = mPlugin->Handler())
    v3_cpp_obj(h)->begin_edit(h, static_cast<v3_param_id>(idx));
}

void Vst3View::SetValue(int idx, double normalized, bool echo)
{
  // A redraw echo of the graph's parameter is no change for the host.
  if (echo)
    return;
  if (v3_component_handler** h = mPlugin->Handler())
    v3_cpp_obj(h)->perform_edit(h, static_cast<v3_param_id>(idx), normalized);
}

void Vst3View::EndEdit(int idx)
{
  if (v3_component_handler** h = mPlugin->Handler())
    v3_cpp_obj(h)->end_edit(h, static_cast<v3_param_id>(idx));
}

void Vst3View::Resized(int width, int height)
{
  if (!mFrame)
    return;
  v3_view_rect rect{0, 0, width, height};
  v3_cpp_obj(mFrame)->resize_view(mFrame, Interface(), &rect);
}
