// The editor's own controls: owner-chosen frames, radio glows, rollover
// frames, the size buttons' click handling and the help button.
#include "editor/IBitmapControlExt.h"
#include "editor/IGUIResizeButtonControl2.h"
#include "editor/IHelpButtonControl.h"
#include "editor/IRadioButtonsControlExt.h"
#include "editor/IRolloverButtonControl.h"
#include "framework/IGraphics.h"
#include "framework/ITextControl.h"
#include "framework/LICE_MemBitmap.h"
#include "tests/framework/EditorTestPlug.h"
#include "tests/support/FrameStrip.h"
#include "tests/support/StripEditor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
// Mouse-over tracking on, for the rollover controls.
struct Editor : StripEditor
{
  Editor() : StripEditor(true) {}
};
} // namespace

TEST(IBitmapControlExt, ShowsTheChosenFrameAndNothingAboveTheCount)
{
  Editor e;
  Strip strip(10, 10, 2);
  auto* ext = new IBitmapControlExt(&e.plug, IRECT(0, 0, 10, 10), &strip.picture);
  e.graphics->AttachControl(ext);
  EXPECT_EQ(ext->ParamIdx(), -1);
  EXPECT_EQ(ext->GetFrame(), 1);
  EXPECT_EQ(e.FrameAt(5, 5), 1);
  ext->SetValue(1.0); // the value does not choose the frame
  ext->SetFrame(2);
  ext->SetDirty(false);
  EXPECT_EQ(e.FrameAt(5, 5), 2);
  ext->SetFrame(3);
  ext->SetDirty(false);
  EXPECT_EQ(e.FrameAt(5, 5), 0); // nothing drawn: the black surface
  EXPECT_FALSE(ext->Draw(e.graphics));
}

TEST(IRadioButtonsControlExt, LightsTheGlowOfTheSelectedButton)
{
  Editor e;
  Strip button(14, 14, 2), glowPicture(20, 20, 2);
  auto* radio = new IRadioButtonsControlExt(&e.plug, IRECT(100, 20, 114, 74), EditorTestPlug::kChoice, 3,
                                            &button.picture);
  std::vector<IRECT> rects;
  radio->GetButtonRects(&rects);
  std::vector<IBitmapControlExt*> glows;
  for (const IRECT& r : rects)
  {
    auto* g = new IBitmapControlExt(&e.plug, IRECT(r.L - 3, r.T - 3, r.L + 17, r.T + 17), &glowPicture.picture,
                                    IChannelBlend(IChannelBlend::kBlendMultiply, 1.0f));
    glows.push_back(g);
    e.graphics->AttachControl(g);
  }
  e.graphics->AttachControl(radio);
  radio->SetDiffuseBitmaps(glows);

  radio->SetValueFromPlug(1.0);
  e.graphics->OnIdle();
  e.graphics->OnIdle(); // the glows' new frames are drawn at the next tick
  EXPECT_EQ(glows[0]->GetFrame(), 1);
  EXPECT_EQ(glows[1]->GetFrame(), 1);
  EXPECT_EQ(glows[2]->GetFrame(), 2);

  IMouseMod left(true);
  radio->OnMouseDown(105, 22, &left);
  e.graphics->OnIdle();
  EXPECT_EQ(glows[0]->GetFrame(), 2);
  EXPECT_EQ(glows[2]->GetFrame(), 1);

  // Settled: no more redraws while nothing changes.
  e.graphics->OnIdle();
  const int redraws = e.graphics->GetNumRedraws();
  e.graphics->OnIdle();
  e.graphics->OnIdle();
  EXPECT_EQ(e.graphics->GetNumRedraws(), redraws);

  // Without one glow per button the glows are left alone.
  radio->SetDiffuseBitmaps({glows[0]});
  radio->SetValueFromPlug(0.5);
  e.graphics->OnIdle();
  EXPECT_EQ(glows[0]->GetFrame(), 2);
}

TEST(IRolloverButtonControl, HoverFramesAndText)
{
  Editor e;
  Strip strip(20, 10, 3);
  IText text;
  auto* label = new ITextControl(&e.plug, IRECT(0, 50, 50, 60), &text, "label");
  auto* button = new IRolloverButtonControl(&e.plug, IRECT(0, 0, 20, 10), EditorTestPlug::kSwitch, &strip.picture,
                                            true, label, IColor(255, 1, 1, 1), IColor(255, 2, 2, 2));
  e.graphics->AttachControl(label);
  e.graphics->AttachControl(button);
  IMouseMod none, left(true);
  EXPECT_EQ(e.FrameAt(5, 5), 1);
  e.graphics->OnMouseOver(5, 5, &none);
  EXPECT_EQ(e.FrameAt(5, 5), 2);
  e.graphics->OnMouseOver(150, 150, &none);
  EXPECT_EQ(e.FrameAt(5, 5), 1);

  // Click: on (frame 3), the text takes the on colour, the plug-in hears it.
  e.graphics->OnMouseOver(5, 5, &none);
  e.graphics->OnMouseDown(5, 5, &left);
  EXPECT_EQ(e.FrameAt(5, 5), 3);
  EXPECT_EQ(label->GetText()->mColor, IColor(255, 2, 2, 2));
  EXPECT_EQ(e.plug.GetParam(EditorTestPlug::kSwitch)->Int(), 1);
  // Hovering and leaving leave an "on" button on.
  e.graphics->OnMouseOver(150, 150, &none);
  e.graphics->OnMouseOver(5, 5, &none);
  EXPECT_EQ(e.FrameAt(5, 5), 3);
  // As a toggle, a second click switches it off.
  e.graphics->OnMouseDown(5, 5, &left);
  EXPECT_DOUBLE_EQ(button->GetValue(), 0.0);
  EXPECT_EQ(label->GetText()->mColor, IColor(255, 1, 1, 1));
  EXPECT_EQ(e.plug.GetParam(EditorTestPlug::kSwitch)->Int(), 0);
}

namespace
{
IGUIResizeButtonControl2* gButton = nullptr;
std::vector<bool> gHandlingSeen;
void RecordHandling(int) { gHandlingSeen.push_back(gButton && gButton->IsHandlingClick()); }
} // namespace

TEST(IGUIResizeButtonControl2, ClickResizesOnceAfterTheParameterChange)
{
  Editor e;
  Strip strip(20, 10, 3);
  auto* button = new IGUIResizeButtonControl2(&e.plug, IRECT(0, 0, 20, 10), EditorTestPlug::kSwitch, &strip.picture,
                                              320, 240);
  gButton = button;
  gHandlingSeen.clear();
  e.plug.onParamChange = &RecordHandling;
  EXPECT_EQ(button->GetTargetWidth(), 320);
  EXPECT_FALSE(button->IsHandlingClick());
  // Keep the button when the editor drops its controls, as the plug-in does.
  e.graphics->AttachControl(button);
  e.graphics->DetachControl(button);

  IMouseMod none, left(true);
  button->OnMouseOver(5, 5, &none); // value 0.5 while hovered
  button->OnMouseDown(5, 5, &left);
  EXPECT_EQ(gHandlingSeen, std::vector<bool>{true});
  EXPECT_FALSE(button->IsHandlingClick());
  EXPECT_EQ(e.plug.events,
            (std::vector<std::string>{"will-resize", "resize 320x240", "will-resize", "host 320x240", "resized"}));
  EXPECT_EQ(e.graphics->Width(), 320);

  // The button of the current size: nothing changes, nothing resizes.
  e.plug.events.clear();
  button->OnMouseDown(5, 5, &left);
  EXPECT_TRUE(e.plug.events.empty());
  e.plug.onParamChange = nullptr;
  gButton = nullptr;
  delete button;
}

TEST(IHelpButtonControl, OpensTheManualWithAnArgumentVector)
{
  // A stand-in for xdg-open first on PATH writes its arguments to a file.
  char dir[] = "/tmp/crest-help-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string out = std::string(dir) + "/args.txt";
  const std::string tool = std::string(dir) + "/xdg-open";
  {
    std::ofstream script(tool);
    script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << out << ".tmp\"\nmv \"" << out
           << ".tmp\" \"" << out << "\"\n";
  }
  chmod(tool.c_str(), 0755);
  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  setenv("PATH", (std::string(dir) + ":" + savedPath).c_str(), 1);

  EditorTestPlug plug;
  Strip strip(24, 24, 1);
  const std::string manual = std::string(dir) + "/my \"manual\"; touch " + dir + "/pwned.pdf";
  IHelpButtonControl button(&plug, IRECT(0, 0, 24, 24), &strip.picture, manual.c_str());
  EXPECT_EQ(button.GetPath(), manual);
  IMouseMod left(true);
  button.OnMouseDown(5, 5, &left);
  EXPECT_DOUBLE_EQ(button.GetValue(), 0.0);

  std::string line;
  for (int i = 0; i < 300; ++i)
  {
    std::ifstream in(out);
    if (in && std::getline(in, line))
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(line, manual); // one argument, exactly the path
  struct stat st;
  EXPECT_NE(stat((std::string(dir) + "/pwned.pdf").c_str(), &st), 0);
  EXPECT_FALSE(IHelpButtonControl::OpenWithDesktop(""));
  std::remove(out.c_str());
  std::remove(tool.c_str());
  rmdir(dir);
}
