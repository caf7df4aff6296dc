// The VST3 bundle as a VST3 host drives it, through tests/support/Vst3Host:
// the factory's classes, activation, bit-for-bit pass-through at every
// block length, parameter events with bad values, state through streams
// that move one byte per call and bad records, the editor in an X11 parent
// idled by the run loop with a camera drag reaching the host as edits, and
// instances on several threads at once.
#include "framework/IGraphics.h"
#include "graph/GraphControl10.h"
#include "plugin/Crest.h"
#include "tests/framework/EditorTestPlug.h"
#include "tests/support/Vst3Host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

// Last: Xlib's macros (None, Bool) would spoil the headers above.
#include <X11/Xlib.h>

#include "tests/support/XEvents.h"

namespace
{
const Vst3Rules kPassThrough{true, true, true};

struct Classes
{
  Vst3Module module{CREST_VST3_BUNDLE_DIR};
  std::vector<v3_class_info_2> list = module.Ok() ? module.Classes() : std::vector<v3_class_info_2>{};
};

const v3_class_info_2* Find(const Classes& c, const char* name)
{
  for (const auto& info : c.list)
    if (std::strcmp(info.name, name) == 0)
      return &info;
  return nullptr;
}
} // namespace

TEST(Vst3Plugin, FactoryListsTheMonoAndStereoAnalysers)
{
  Classes c;
  ASSERT_TRUE(c.module.Ok()) << c.module.Error();
  EXPECT_EQ(CheckFactory(c.module), "");
  ASSERT_EQ(c.list.size(), 2u);
  for (const char* name : {"QX Crest Mono", "QX Crest Stereo"})
  {
    const v3_class_info_2* info = Find(c, name);
    ASSERT_NE(info, nullptr) << name;
    EXPECT_STREQ(info->sub_categories, "Fx|Analyzer");
    EXPECT_STREQ(info->vendor, "Tessaro");
  }
  EXPECT_NE(std::memcmp(c.list[0].class_id, c.list[1].class_id, sizeof(v3_tuid)), 0);
  Vst3Instance mono(c.module, Find(c, "QX Crest Mono")->class_id);
  Vst3Instance stereo(c.module, Find(c, "QX Crest Stereo")->class_id);
  EXPECT_EQ(mono.NIn(), 1);
  EXPECT_EQ(mono.NOut(), 1);
  EXPECT_EQ(stereo.NIn(), 2);
  EXPECT_EQ(stereo.NOut(), 2);
}

TEST(Vst3Plugin, ActivatesAndPassesEveryBlockLengthThroughBitForBit)
{
  Classes c;
  ASSERT_EQ(c.list.size(), 2u);
  for (const auto& info : c.list)
  {
    SCOPED_TRACE(info.name);
    EXPECT_EQ(CheckActivation(c.module, info.class_id), "");
    EXPECT_EQ(CheckBlocks(c.module, info.class_id, kPassThrough), "");
  }
}

TEST(Vst3Plugin, ParameterEventsTakeRangesBypassAndTheIgnoreRules)
{
  Classes c;
  const v3_class_info_2* stereo = Find(c, "QX Crest Stereo");
  ASSERT_NE(stereo, nullptr);
  EXPECT_EQ(CheckParameterEvents(c.module, stereo->class_id, kPassThrough), "");

  Vst3Instance inst(c.module, stereo->class_id);
  ASSERT_EQ(inst.Activate(44100.0, 256), "");
  const auto params = inst.Params();
  ASSERT_EQ(params.size(), static_cast<size_t>(Crest::kNumParams + 1));
  const v3_param_info& bypass = params.back();
  EXPECT_TRUE(bypass.flags & V3_PARAM_IS_BYPASS);
  EXPECT_EQ(bypass.step_count, 1);
  v3_edit_controller** ctrl = inst.Controller();
  auto value = [&](v3_param_id id) { return v3_cpp_obj(ctrl)->get_parameter_normalised(ctrl, id); };

  std::vector<float> l(256, 0.25f), r(256, -0.5f), ol(256), orr(256);
  const float* in[] = {l.data(), r.data()};
  float* out[] = {ol.data(), orr.data()};
  // A value in range applies, out of range clamps, NaN is refused; the
  // camera is kept from the host; the bypass follows its events.
  const double angleBefore = value(Crest::kAngle0);
  ASSERT_EQ(inst.Process(in, out, 256, {{Crest::kSpeed, 0.25}, {Crest::kAngle0, 0.9}, {bypass.param_id, 1.0}}),
            V3_OK);
  EXPECT_DOUBLE_EQ(value(Crest::kSpeed), 0.25);
  EXPECT_DOUBLE_EQ(value(Crest::kAngle0), angleBefore);
  EXPECT_EQ(value(bypass.param_id), 1.0);
  ASSERT_EQ(inst.Process(in, out, 256, {{Crest::kSpeed, NAN}, {Crest::kDensity, 7.0}, {bypass.param_id, 0.0}}),
            V3_OK);
  EXPECT_DOUBLE_EQ(value(Crest::kSpeed), 0.25);
  EXPECT_EQ(value(Crest::kDensity), 1.0);
  EXPECT_EQ(value(bypass.param_id), 0.0);
  EXPECT_EQ(ol, l);
  EXPECT_EQ(orr, r);

  // Text both ways, through the mode's names.
  v3_str_128 text{};
  ASSERT_EQ(v3_cpp_obj(ctrl)->get_parameter_string_for_value(ctrl, Crest::kMode, 1.0, text), V3_OK);
  double back = -1.0;
  ASSERT_EQ(v3_cpp_obj(ctrl)->get_parameter_value_for_string(ctrl, Crest::kMode, text, &back), V3_OK);
  EXPECT_EQ(back, 1.0);
  v3_str_128 junk{'x', 0};
  EXPECT_NE(v3_cpp_obj(ctrl)->get_parameter_value_for_string(ctrl, Crest::kSpeed, junk, &back), V3_OK);
}

TEST(Vst3Plugin, StateMovesThroughOneByteStreamsAndRefusesBadRecords)
{
  Classes c;
  const v3_class_info_2* stereo = Find(c, "QX Crest Stereo");
  ASSERT_NE(stereo, nullptr);
  EXPECT_EQ(CheckState(c.module, stereo->class_id, kPassThrough), "");

  // A record carries a value only the state can set (the camera) to a new
  // instance.
  Vst3Instance a(c.module, stereo->class_id), b(c.module, stereo->class_id);
  const std::vector<uint8_t> before = a.GetState();
  ASSERT_EQ(before.size(), 8u * Crest::kNumParams);
  std::vector<uint8_t> record = before;
  const double angle = 33.0;
  std::memcpy(record.data() + 8 * Crest::kAngle0, &angle, sizeof angle);
  ASSERT_EQ(a.SetState(record, 1), V3_OK);
  const std::vector<uint8_t> saved = a.GetState();
  EXPECT_EQ(saved, record);
  ASSERT_EQ(b.SetState(saved, 3), V3_OK);
  EXPECT_EQ(b.GetState(), record);
  EXPECT_NE(b.GetState(), before);
}

TEST(Vst3Plugin, EditorEmbedsIdlesOnTheRunLoopReportsCameraDragsAsEditsAndResizesThroughTheFrame)
{
  Display* display = static_cast<Display*>(OpenTestDisplay());
  ASSERT_NE(display, nullptr) << "the editor test needs an X display";
  Classes c;
  const v3_class_info_2* stereo = Find(c, "QX Crest Stereo");
  ASSERT_NE(stereo, nullptr);
  Vst3Instance inst(c.module, stereo->class_id);
  ASSERT_EQ(inst.Activate(44100.0, 512), "");

  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1040, 722, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  ASSERT_EQ(inst.OpenEditor(parent), "");
  EXPECT_EQ(inst.Timers(), 1);
  v3_view_rect size{};
  ASSERT_EQ(v3_cpp_obj(inst.View())->get_size(inst.View(), &size), V3_OK);
  EXPECT_EQ(size.right, Crest::kEditorWidth);
  EXPECT_EQ(size.bottom, Crest::kEditorHeight);
  const std::vector<Window> children = Children(display, parent);
  ASSERT_EQ(children.size(), 1u) << "the editor is the parent's one child";
  const Window editor = children[0];
  inst.RunLoop(200);

  // Where the landscape is, from a plug-in object of the same layout.
  IGraphics::SetDefaultResourceDir(CREST_SOURCE_DIR);
  std::unique_ptr<Crest> layout(new Crest());
  const IRECT* g = layout->GetGraph()->GetRECT();
  const int x = (g->L + g->R) / 2, y = (g->T + g->B) / 2;
  inst.ClearEdits();
  Send(display, editor, Button(ButtonPress, editor, x, y, Button1, CurrentTime));
  Send(display, editor, Motion(editor, x + 40, y + 10, CurrentTime, Button1Mask));
  Send(display, editor, Button(ButtonRelease, editor, x + 40, y + 10, Button1, CurrentTime, Button1Mask));
  inst.RunLoop(300);

  // Only the run loop's timer idled the editor: the edits came from it.
  std::string kinds;
  bool angle = false;
  for (const Vst3Edit& e : inst.Edits())
  {
    kinds += e.kind;
    angle = angle || (e.kind == 'p' && (e.id == Crest::kAngle0 || e.id == Crest::kAngle1));
    EXPECT_NE(e.id, static_cast<v3_param_id>(Crest::kGraph)) << "a redraw echo reached the host";
  }
  EXPECT_TRUE(angle) << kinds;
  ASSERT_FALSE(kinds.empty());
  EXPECT_EQ(kinds.front(), 'b');
  EXPECT_EQ(kinds.back(), 'e');
  EXPECT_NE(kinds.find('p'), std::string::npos);

  // A restored state with the big size: the editor asks the host's frame.
  std::vector<uint8_t> record = inst.GetState();
  const double off = 0.0, on = 1.0;
  std::memcpy(record.data() + 8 * Crest::kSmallGUI, &off, sizeof off);
  std::memcpy(record.data() + 8 * Crest::kBigGUI, &on, sizeof on);
  ASSERT_EQ(inst.SetState(record, 1), V3_OK);
  inst.RunLoop(200);
  ASSERT_FALSE(inst.Resizes().empty());
  EXPECT_EQ(inst.Resizes().back().right, 1040);
  EXPECT_EQ(inst.Resizes().back().bottom, 722);
  ASSERT_EQ(v3_cpp_obj(inst.View())->get_size(inst.View(), &size), V3_OK);
  EXPECT_EQ(size.right, 1040);

  inst.CloseEditor();
  EXPECT_EQ(inst.Timers(), 0);
  EXPECT_EQ(Children(display, parent).size(), 0u);
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
}

TEST(Vst3Plugin, SixteenInstancesRunOnFourThreadsAtOnce)
{
  Classes c;
  for (const auto& info : c.list)
  {
    SCOPED_TRACE(info.name);
    EXPECT_EQ(CheckThreads(c.module, info.class_id, kPassThrough), "");
  }
}
