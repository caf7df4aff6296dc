// The test VST3 host itself: it passes a known-good plug-in of another
// maker (zam-plugins' build, from Debian) under the rules every effect
// keeps, and fails a plug-in built to break one rule.
#include "tests/support/Vst3Host.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

TEST(Vst3Host, PassesZamPluginsBuild)
{
  Vst3Module module("/usr/lib/vst3/ZamEQ2.vst3");
  ASSERT_TRUE(module.Ok()) << module.Error() << " (zam-plugins is installed by scripts/setup.sh)";
  EXPECT_EQ(CheckFactory(module), "");
  const auto classes = module.Classes();
  ASSERT_FALSE(classes.empty());
  const v3_tuid& cid = classes[0].class_id;
  const Vst3Rules effect;
  EXPECT_EQ(CheckActivation(module, cid), "");
  EXPECT_EQ(CheckBlocks(module, cid, effect), "");
  EXPECT_EQ(CheckParameterEvents(module, cid, effect), "");
  EXPECT_EQ(CheckState(module, cid, effect), "");
  EXPECT_EQ(CheckThreads(module, cid, effect), "");

  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr) << "the editor check needs an X display";
  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 800, 600, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  {
    Vst3Instance inst(module, cid);
    ASSERT_EQ(inst.Activate(48000.0, 512), "");
    ASSERT_EQ(inst.OpenEditor(parent), "");
    EXPECT_GE(inst.Timers(), 1) << "the editor is idled by the host's run loop";
    inst.RunLoop(200);
    inst.CloseEditor();
  }
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
}

TEST(Vst3Host, FailsAPluginThatLeavesFramesOfLongBlocksUnwritten)
{
  Vst3Module module(CREST_BROKEN_VST3_DIR);
  ASSERT_TRUE(module.Ok()) << module.Error();
  EXPECT_EQ(CheckFactory(module), "");
  const auto classes = module.Classes();
  ASSERT_EQ(classes.size(), 1u);
  EXPECT_EQ(CheckActivation(module, classes[0].class_id), "at 44100.000000: channel 0, frame 1024 was not written");
  const std::string blocks = CheckBlocks(module, classes[0].class_id, Vst3Rules{});
  EXPECT_EQ(blocks, "apart, block 1025: channel 0, frame 1024 was not written");
}
