// The LV2 UI as a host drives it: instance-access to the running plug-in,
// opened in the host's parent window, idled, told of its size; camera drags
// reach the host as port writes inside touch begin/end; closing and opening
// it again while audio runs keeps the landscape and the parameters.
#include "framework/IGraphics.h"
#include "framework/lv2/IPlugLV2.h"
#include "graph/GraphControl10.h"
#include "plugin/Crest.h"
#include "tests/framework/EditorTestPlug.h"
#include "tests/support/Lv2Host.h"
#include "view3d/CrestRender.h"

#include <gtest/gtest.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <cmath>
#include <string>
#include <vector>

// Last: Xlib's macros (None, Bool) would spoil the headers above.
#include <X11/Xlib.h>
#include <dlfcn.h>

#include "tests/support/XEvents.h"

namespace
{
struct UiHost
{
  std::vector<std::pair<uint32_t, float>> writes;
  std::vector<std::pair<uint32_t, bool>> touches;
  int width = 0, height = 0;

  static void Write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
  {
    if (size == sizeof(float) && protocol == 0)
      static_cast<UiHost*>(c)->writes.emplace_back(port, *static_cast<const float*>(buffer));
  }
  static int Resize(LV2UI_Feature_Handle h, int w, int hgt)
  {
    static_cast<UiHost*>(h)->width = w;
    static_cast<UiHost*>(h)->height = hgt;
    return 0;
  }
  static void Touch(LV2UI_Feature_Handle h, uint32_t port, bool grabbed)
  {
    static_cast<UiHost*>(h)->touches.emplace_back(port, grabbed);
  }
};

void Play(Lv2Instance& plug, int blocks)
{
  static long t = 0;
  std::vector<float> l(512), r(512), ol(512), orr(512);
  plug.ConnectAudio({l.data(), r.data()}, {ol.data(), orr.data()});
  for (int b = 0; b < blocks; ++b)
  {
    for (int i = 0; i < 512; ++i, ++t)
      l[i] = r[i] = static_cast<float>(0.4 * std::sin(0.031 * t) + 0.2 * std::sin(0.0071 * t));
    plug.Run(512);
  }
}

// The adapter's class is compiled into the module only, so this binary has
// no type information for UBSan's check of the call (it would not link).
__attribute__((no_sanitize("vptr"))) IPlugBase* AdaptedPlug(void* handle)
{
  return static_cast<IPlugLV2*>(handle)->Plug();
}
} // namespace

TEST(Lv2Ui, OpensInTheParentReportsCameraDragsAndReopensWithTheLandscapeKept)
{
  Display* display = static_cast<Display*>(OpenTestDisplay());
  ASSERT_NE(display, nullptr) << "the UI test needs an X display";
  Lv2World world;
  Lv2Instance plug(world, "stereo");
  ASSERT_TRUE(plug.Ok());
  plug.Control("mode") = 2.0f;
  Play(plug, 100);

  // The module lilv loaded: the same library, so instance-access works.
  void* module = dlopen(CREST_LV2_BUNDLE_DIR "/QX-Crest.so", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(module, nullptr);
  auto uiEntry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(module, "lv2ui_descriptor"));
  ASSERT_NE(uiEntry, nullptr);
  const LV2UI_Descriptor* ui = uiEntry(0);
  ASSERT_NE(ui, nullptr);
  auto* idle = static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
  ASSERT_NE(idle, nullptr);

  auto* crest = static_cast<Crest*>(AdaptedPlug(lilv_instance_get_handle(plug.Instance())));
  CrestRender* view = crest->GetView();
  const uint64_t spectraBefore = view->GetFrameCount();
  ASSERT_GT(spectraBefore, 0u);

  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1040, 722, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  UiHost host;
  LV2UI_Resize resize{&host, &UiHost::Resize};
  LV2UI_Touch touch{&host, &UiHost::Touch};
  const LV2_Feature features[] = {{LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(plug.Instance())},
                                  {LV2_UI__parent, reinterpret_cast<void*>(parent)},
                                  {LV2_UI__resize, &resize},
                                  {LV2_UI__touch, &touch}};
  const LV2_Feature* list[] = {&features[0], &features[1], &features[2], &features[3], nullptr};
  const std::string bundle = CREST_LV2_BUNDLE_DIR "/";

  for (int round = 0; round < 2; ++round)
  {
    SCOPED_TRACE(round);
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle h = ui->instantiate(ui, Lv2PluginUri("ui").c_str(), bundle.c_str(), &UiHost::Write, &host, &widget,
                                     list);
    ASSERT_NE(h, nullptr);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(host.width, 800);
    EXPECT_EQ(host.height, 555);
    Window root = 0, parentOfEditor = 0, *children = nullptr;
    unsigned n = 0;
    XQueryTree(display, reinterpret_cast<Window>(widget), &root, &parentOfEditor, &children, &n);
    XFree(children);
    EXPECT_EQ(parentOfEditor, parent);
    // The same view, still filling with the audio that runs meanwhile, and
    // the mode the host set.
    EXPECT_EQ(crest->GetView(), view);
    EXPECT_EQ(crest->GetParam(Crest::kMode)->Int(), 2);
    Play(plug, 20);
    EXPECT_GT(view->GetFrameCount(), spectraBefore);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(idle->idle(h), 0);

    // A drag across the landscape turns the camera: Angle0 goes to the host
    // inside a touch.
    host.writes.clear();
    host.touches.clear();
    const IRECT* g = crest->GetGraph()->GetRECT();
    const Window editor = reinterpret_cast<Window>(widget);
    const int x = (g->L + g->R) / 2, y = (g->T + g->B) / 2;
    Send(display, editor, Button(ButtonPress, editor, x, y, Button1, CurrentTime));
    Send(display, editor, Motion(editor, x + 40, y, CurrentTime, Button1Mask));
    Send(display, editor, Button(ButtonRelease, editor, x + 40, y, Button1, CurrentTime, Button1Mask));
    for (int i = 0; i < 5; ++i)
      idle->idle(h);
    LilvNode* symbol = lilv_new_string(world.World(), "angle0");
    const LilvPlugin* described = world.Plugin(Lv2PluginUri("stereo"));
    const uint32_t angle0Port = lilv_port_get_index(described, lilv_plugin_get_port_by_symbol(described, symbol));
    lilv_node_free(symbol);
    bool wrote = false;
    for (const auto& w : host.writes)
      wrote = wrote || (w.first == angle0Port && w.second != 0.0f);
    EXPECT_TRUE(wrote);
    ASSERT_FALSE(host.touches.empty());
    EXPECT_EQ(host.touches.front(), std::make_pair(angle0Port, true));

    ui->cleanup(h);
    Play(plug, 20);
  }
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
}
