// The control factory's geometry, decorations and layer order.
#include "editor/GUIHelper9.h"
#include "editor/IBitmapControlExt.h"
#include "editor/IGUIResizeButtonControl2.h"
#include "editor/IHelpButtonControl.h"
#include "editor/IRadioButtonsControlExt.h"
#include "framework/ICaptionControl.h"
#include "framework/IGraphics.h"
#include "framework/IKnobMultiControl.h"
#include "framework/ITextControl.h"
#include "tests/framework/EditorTestPlug.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
struct Editor
{
  Editor(int w = 800, int h = 555)
  {
    UseSourceResources();
    graphics = new IGraphics(&plug, w, h);
    plug.AttachGraphics(graphics);
  }
  EditorTestPlug plug;
  IGraphics* graphics;
};

const char* kKnob = "resources/img/blue-knob-small.png";
const char* kField = "resources/img/textfield.png";
} // namespace

TEST(GUIHelper9, KnobWithTitleFieldAndCaption)
{
  Editor e;
  GUIHelper9 helper;
  IKnobMultiControl* knob = helper.CreateKnob(&e.plug, e.graphics, 106, kKnob, 180, 195, 440,
                                              EditorTestPlug::kPercent, "SPEED", 104, kField, 1, 1.0);
  ASSERT_NE(knob, nullptr);
  const IBitmap k = e.graphics->LoadIBitmap(106, kKnob, 180);
  const IBitmap f = e.graphics->LoadIBitmap(104, kField, 1);
  EXPECT_EQ(*knob->GetRECT(), IRECT(195, 440, 195 + k.W, 440 + k.FrameHeight()));
  EXPECT_DOUBLE_EQ(knob->GetGearing(), 4.0);
  EXPECT_EQ(knob->GetDirection(), IKnobControl::kVertical);
  ASSERT_EQ(helper.GetControls().size(), 1u);
  ASSERT_EQ(helper.GetTexts().size(), 2u);
  ASSERT_EQ(helper.GetBackObjects().size(), 1u);

  // Title: size 13, offset -15 x 0.65: bottom trunc(440 - 9.75) = 430.
  auto* title = dynamic_cast<ITextControl*>(helper.GetTexts()[0]);
  ASSERT_NE(title, nullptr);
  EXPECT_STREQ(title->GetTextString(), "SPEED");
  EXPECT_EQ(*title->GetRECT(), IRECT(195, 430 - 13, 195 + k.W, 430));
  EXPECT_EQ(title->GetText()->mSize, 13);
  EXPECT_STREQ(title->GetText()->mFont, "Tahoma");
  EXPECT_EQ(title->GetText()->mColor, IColor(255, 110, 110, 110));
  EXPECT_EQ(title->GetText()->mAlign, IText::kAlignCenter);

  // Value field under the knob, transparent to the mouse.
  IControl* field = helper.GetBackObjects()[0];
  const int left = 195 + k.W / 2 - f.W / 2;
  const int top = 440 + 2 * (k.FrameHeight() / 2) + f.H - 1;
  EXPECT_EQ(*field->GetRECT(), IRECT(left, top, left + f.W, top + f.H));
  EXPECT_TRUE(field->IsMouseTransparent());

  // Caption: the parameter with its unit.
  auto* caption = dynamic_cast<ICaptionControl*>(helper.GetTexts()[1]);
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->ParamIdx(), EditorTestPlug::kPercent);
  EXPECT_EQ(*caption->GetRECT(), IRECT(left, 440 + k.FrameHeight() + 14, left + f.W, 440 + k.FrameHeight() + 28));
  EXPECT_EQ(caption->GetText()->mSize, 14);
  EXPECT_EQ(caption->GetText()->mColor, IColor(255, 240, 240, 255));
  EXPECT_EQ(caption->GetText()->mTextEntryBGColor, IColor(255, 0, 0, 0));
  EXPECT_EQ(caption->GetText()->mTextEntryFGColor, IColor(255, 240, 240, 255));
  helper.AddAllObjects(e.graphics);
  e.graphics->OnIdle();
  EXPECT_STREQ(caption->GetTextString(), "50.0 %");
}

TEST(GUIHelper9, RadioButtonsWithTitleLabelsAndGlows)
{
  Editor e;
  GUIHelper9 helper;
  const char* labels[] = {"LINES FREQ", "LINES TIME", "POINTS"};
  GUIHelper9::RadioButtonsLayout layout;
  layout.x = 150;
  layout.y = 451;
  layout.nButtons = 3;
  layout.span = 54;
  layout.title = "MODE";
  layout.titleAlign = IText::kAlignFar;
  layout.titleOffset = -15.0;
  layout.labels = labels;
  layout.numLabels = 3;
  layout.labelAlign = IText::kAlignFar;
  IRadioButtonsControlExt* radio = helper.CreateRadioButtons(
    &e.plug, e.graphics, 110, "resources/img/radiobutton.png", 2, EditorTestPlug::kChoice, 111,
    "resources/img/radiobutton-diffuse.png", layout);
  ASSERT_NE(radio, nullptr);
  const IBitmap b = e.graphics->LoadIBitmap(110, "resources/img/radiobutton.png", 2);
  const IBitmap g = e.graphics->LoadIBitmap(111, "resources/img/radiobutton-diffuse.png", 2);
  EXPECT_EQ(*radio->GetRECT(), IRECT(150, 451, 150 + b.W, 451 + 54));

  // Title, then the three labels.
  ASSERT_EQ(helper.GetTexts().size(), 4u);
  auto* title = static_cast<ITextControl*>(helper.GetTexts()[0]);
  EXPECT_EQ(*title->GetRECT(), IRECT(150, 436 - 20, 150 + b.W, 436));
  EXPECT_EQ(title->GetText()->mAlign, IText::kAlignFar);
  const int step = b.H / 2 + (54 - b.H * 3 / 2) / 2;
  for (int i = 0; i < 3; ++i)
  {
    auto* label = static_cast<ITextControl*>(helper.GetTexts()[1 + i]);
    EXPECT_STREQ(label->GetTextString(), labels[i]);
    const int x = 150 - 6 - b.W, y = 451 + i * step;
    EXPECT_EQ(*label->GetRECT(), IRECT(x, y, x + b.W, y));
    EXPECT_EQ(label->GetText()->mSize, 15);
    EXPECT_EQ(label->GetText()->mColor, IColor(255, 100, 100, 161));
  }

  // One glow per button, centred on it, multiplied, never hit.
  std::vector<IRECT> rects;
  radio->GetButtonRects(&rects);
  ASSERT_EQ(helper.GetDiffuseObjects().size(), 3u);
  for (int i = 0; i < 3; ++i)
  {
    auto* glow = dynamic_cast<IBitmapControlExt*>(helper.GetDiffuseObjects()[i]);
    ASSERT_NE(glow, nullptr);
    const int left = (rects[i].L + rects[i].R) / 2 - g.W / 2,
              top = (rects[i].T + rects[i].B) / 2 - g.FrameHeight() / 2;
    EXPECT_EQ(*glow->GetRECT(), IRECT(left, top, left + g.W, top + g.FrameHeight()));
    EXPECT_EQ(glow->GetBlend()->mMethod, IChannelBlend::kBlendMultiply);
    EXPECT_TRUE(glow->IsMouseTransparent());
  }
  helper.AddAllObjects(e.graphics);
  // The radio control drives the glows it was given.
  radio->SetValueFromPlug(1.0);
  e.graphics->OnIdle();
  EXPECT_EQ(static_cast<IBitmapControlExt*>(helper.GetDiffuseObjects()[2])->GetFrame(), 2);
}

TEST(GUIHelper9, BottomEdgePicturesFollowTheEditorSize)
{
  for (const auto& size : {std::make_pair(800, 555), std::make_pair(1040, 722)})
  {
    const int W = size.first, H = size.second;
    Editor e(W, H);
    GUIHelper9 helper;
    ITextControl* version = helper.CreateVersion(&e.plug, e.graphics, "5.3.0", 1);
    IBitmapControl* logo = helper.CreateLogo(&e.plug, e.graphics, 103, "resources/img/logo.png", 1);
    IBitmapControl* name = helper.CreatePlugName(&e.plug, e.graphics, 102, "resources/img/plugname.png", 1);
    IHelpButtonControl* help = helper.CreateHelpButton(&e.plug, e.graphics, 112, "resources/img/help-button.png",
                                                       "manual/QX-Crest_manual-EN.pdf", 1);
    const IBitmap l = e.graphics->LoadIBitmap(103, "", 1), n = e.graphics->LoadIBitmap(102, "", 1),
                  h = e.graphics->LoadIBitmap(112, "", 1);
    ASSERT_GT(l.W, 0);
    EXPECT_STREQ(version->GetTextString(), "v5.3.0");
    EXPECT_EQ(*version->GetRECT(), IRECT(W / 2 - 6, H - 15, W / 2 + 6, H - 15));
    EXPECT_EQ(version->GetText()->mSize, 12);
    EXPECT_EQ(version->GetText()->mStyle, IText::kStyleNormal);
    EXPECT_EQ(*logo->GetRECT(), IRECT(W - l.W, H - 1 - l.H, W, H - 1));
    EXPECT_EQ(*name->GetRECT(), IRECT(5, H - 13 - n.H, 5 + n.W, H - 13));
    EXPECT_EQ(*help->GetRECT(), IRECT(W - 44 - h.W, H - 4 - h.H, W - 44, H - 4));
    EXPECT_TRUE(logo->IsMouseTransparent());
    EXPECT_TRUE(name->IsMouseTransparent());
    EXPECT_FALSE(help->IsMouseTransparent());
    // Only the manual's file name is kept, in the resource folder.
    EXPECT_EQ(std::string(help->GetPath()), e.graphics->GetResourceDir() + "/QX-Crest_manual-EN.pdf");
    // The pictures do not overlap one another.
    EXPECT_LE(help->GetRECT()->R, logo->GetRECT()->L);
    helper.AddAllObjects(e.graphics);
  }
}

TEST(GUIHelper9, OtherVersionPositions)
{
  Editor e;
  GUIHelper9 helper;
  ITextControl* left = helper.CreateVersion(&e.plug, e.graphics, "5.3.0", 2);
  ITextControl* right = helper.CreateVersion(&e.plug, e.graphics, "5.3.0", 3);
  ITextControl* none = helper.CreateVersion(&e.plug, e.graphics, "5.3.0", 7);
  EXPECT_EQ(*left->GetRECT(), IRECT(-6, 540, 6, 540));
  EXPECT_EQ(left->GetText()->mAlign, IText::kAlignNear);
  const int x = 800 - (6 * 12) / 2 + 9;
  EXPECT_EQ(*right->GetRECT(), IRECT(x - 6, 540, x + 6, 540));
  EXPECT_EQ(*none->GetRECT(), IRECT(-6, 0, 6, 0));
  helper.AddAllObjects(e.graphics);
}

TEST(GUIHelper9, SizeButtonAndLayerOrder)
{
  Editor e;
  GUIHelper9 helper;
  IGUIResizeButtonControl2* button = helper.CreateGUIResizeButton(
    &e.plug, e.graphics, 116, "resources/img/med-gui-button.png", 3, 20, 451, EditorTestPlug::kSwitch, 920, 640, "");
  const IBitmap b = e.graphics->LoadIBitmap(116, "", 3);
  EXPECT_EQ(*button->GetRECT(), IRECT(20, 451, 20 + b.W, 451 + b.FrameHeight()));
  EXPECT_EQ(button->GetTargetWidth(), 920);
  EXPECT_EQ(button->GetTargetHeight(), 640);
  ASSERT_EQ(helper.GetTexts().size(), 1u);
  auto* label = static_cast<ITextControl*>(helper.GetTexts()[0]);
  const int labelY = static_cast<int>(b.H * 1.5 / 3 + 451 + 3.0);
  EXPECT_EQ(*label->GetRECT(), IRECT(23, labelY - 15 - 20, 23 + b.W, labelY - 15));
  EXPECT_STREQ(label->GetTextString(), "");

  helper.CreateLogo(&e.plug, e.graphics, 103, "resources/img/logo.png", 1);
  const char* labels[] = {"A", "B"};
  GUIHelper9::RadioButtonsLayout layout;
  layout.x = 150;
  layout.y = 451;
  layout.span = 40;
  layout.title = "T";
  layout.titleOffset = -15.0;
  layout.labels = labels;
  layout.numLabels = 2;
  helper.CreateRadioButtons(&e.plug, e.graphics, 110, "resources/img/radiobutton.png", 2, EditorTestPlug::kChoice,
                            111, "resources/img/radiobutton-diffuse.png", layout);
  helper.AddAllObjects(e.graphics);
  // backObjects, diffuseObjects, controls, texts.
  ASSERT_EQ(e.graphics->NControls(), 1 + 2 + 2 + 4);
  EXPECT_EQ(e.graphics->GetControl(0), helper.GetBackObjects()[0]);
  EXPECT_EQ(e.graphics->GetControl(1), helper.GetDiffuseObjects()[0]);
  EXPECT_EQ(e.graphics->GetControl(3), button);
  EXPECT_EQ(e.graphics->GetControl(5), helper.GetTexts()[0]);
}
