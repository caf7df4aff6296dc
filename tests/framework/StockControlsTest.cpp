// The framework's stock controls as the editor uses them: knob gearing and
// wheel, filmstrip frames, radio button geometry and hits, texts, captions
// and the double-click rule.
#include "framework/IBitmapControl.h"
#include "framework/ICaptionControl.h"
#include "framework/IGraphics.h"
#include "framework/IKnobMultiControl.h"
#include "framework/IRadioButtonsControl.h"
#include "framework/ITextControl.h"
#include "framework/LICE_MemBitmap.h"
#include "tests/framework/EditorTestPlug.h"
#include "tests/support/FrameStrip.h"
#include "tests/support/StripEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Editor = StripEditor;

double gNow = 0.0;
double FakeClock() { return gNow; }
} // namespace

TEST(IKnobMultiControl, DragGearingAndFineMode)
{
  Editor e;
  Strip strip(40, 40, 180);
  auto* knob = new IKnobMultiControl(&e.plug, 10, 20, EditorTestPlug::kPercent, &strip.picture,
                                     IKnobControl::kVertical, 4.0);
  e.graphics->AttachControl(knob);
  EXPECT_EQ(*knob->GetRECT(), IRECT(10, 20, 50, 60));

  knob->SetValue(0.5);
  IMouseMod plain(true);
  knob->OnMouseDrag(0, 0, 0, -10, &plain); // 10 pixels up
  EXPECT_NEAR(knob->GetValue(), 0.5625, 1e-12);
  EXPECT_NEAR(e.plug.GetParam(EditorTestPlug::kPercent)->Value(), 56.25, 1e-9); // sent to the plug-in

  IMouseMod shift(true, false, true);
  knob->OnMouseDrag(0, 0, 0, -10, &shift);
  EXPECT_NEAR(knob->GetValue(), 0.56875, 1e-12);
  IMouseMod control(true, false, false, true);
  knob->OnMouseDrag(0, 0, 0, 20, &control); // down
  EXPECT_NEAR(knob->GetValue(), 0.55625, 1e-12);

  // A drag over the knob's full height moves by 1 / gearing; the value stays in 0..1.
  knob->SetValue(0.0);
  knob->OnMouseDrag(0, 0, 0, -40, &plain);
  EXPECT_NEAR(knob->GetValue(), 0.25, 1e-12);
  knob->OnMouseDrag(0, 0, 0, 400, &plain);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
  // Sideways drags do nothing to a vertical knob.
  knob->OnMouseDrag(0, 0, 30, 0, &plain);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
}

TEST(IKnobMultiControl, HorizontalDragAndWheel)
{
  Editor e;
  Strip strip(50, 20, 10);
  auto* knob = new IKnobMultiControl(&e.plug, 0, 0, EditorTestPlug::kPercent, &strip.picture,
                                     IKnobControl::kHorizontal, 2.0);
  e.graphics->AttachControl(knob);
  IMouseMod plain(true);
  knob->OnMouseDrag(0, 0, 25, 0, &plain);
  EXPECT_NEAR(knob->GetValue(), 0.25, 1e-12);
  knob->OnMouseWheel(0, 0, &plain, 3.0);
  EXPECT_NEAR(knob->GetValue(), 0.28, 1e-12);
  IMouseMod shift(false, false, true);
  knob->OnMouseWheel(0, 0, &shift, -2.0);
  EXPECT_NEAR(knob->GetValue(), 0.278, 1e-12);
  EXPECT_NEAR(e.plug.GetParam(EditorTestPlug::kPercent)->Value(), 27.8, 1e-9);
}

TEST(IKnobMultiControl, ShowsTheFrameOfItsValue)
{
  EXPECT_EQ(IControl::FrameForValue(0.0, 180), 1);
  EXPECT_EQ(IControl::FrameForValue(1.0, 180), 180);
  EXPECT_EQ(IControl::FrameForValue(0.5, 180), 91); // trunc(179 * 0.5 + 0.5) + 1
  EXPECT_EQ(IControl::FrameForValue(0.5, 3), 2);
  EXPECT_EQ(IControl::FrameForValue(0.7, 1), 1);
  EXPECT_EQ(IControl::FrameForValue(2.0, 5), 5);

  Editor e;
  Strip strip(20, 10, 5);
  auto* knob = new IKnobMultiControl(&e.plug, 0, 0, EditorTestPlug::kPercent, &strip.picture);
  e.graphics->AttachControl(knob);
  knob->SetValueFromPlug(0.0);
  EXPECT_EQ(e.FrameAt(5, 5), 1);
  knob->SetValueFromPlug(0.5);
  EXPECT_EQ(e.FrameAt(5, 5), 3);
  knob->SetValueFromPlug(1.0);
  EXPECT_EQ(e.FrameAt(5, 5), 5);
}

TEST(IControlDoubleClick, ResetsToDefaultOnlyWithin250Ms)
{
  Editor e;
  Strip strip(40, 40, 180);
  auto* knob = new IKnobMultiControl(&e.plug, 0, 0, EditorTestPlug::kPercent, &strip.picture);
  e.graphics->AttachControl(knob);
  knob->SetDefaultValue(0.5);
  IControl::SetClockForTesting(&FakeClock);
  IMouseMod left(true);

  gNow = 10000.0;
  knob->SetValue(0.9);
  knob->OnMouseDown(5, 5, &left);
  gNow += 250.0;
  EXPECT_TRUE(knob->OnMouseDblClick(5, 5, &left));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);

  knob->SetValue(0.9);
  knob->OnMouseDown(5, 5, &left);
  gNow += 251.0;
  EXPECT_FALSE(knob->OnMouseDblClick(5, 5, &left)); // handled as a mouse-down
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.9);
  EXPECT_DOUBLE_EQ(knob->GetLastMouseDownMs(), gNow);

  // Alt-click resets as well.
  IMouseMod alt(true, false, false, false, true);
  knob->OnMouseDown(5, 5, &alt);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
  IControl::SetClockForTesting(nullptr);
}

TEST(IRadioButtonsControl, ButtonRectanglesSpreadOverTheSpan)
{
  EditorTestPlug plug;
  Strip strip(14, 14, 2);
  IRadioButtonsControl column(&plug, IRECT(150, 451, 164, 505), EditorTestPlug::kChoice, 3, &strip.picture);
  std::vector<IRECT> rects;
  column.GetButtonRects(&rects);
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_EQ(rects[0], IRECT(150, 451, 164, 465));
  EXPECT_EQ(rects[1], IRECT(150, 471, 164, 485));
  EXPECT_EQ(rects[2], IRECT(150, 491, 164, 505));

  // A gap that is no whole number: truncated at each step.
  IRadioButtonsControl uneven(&plug, IRECT(0, 0, 14, 47), EditorTestPlug::kChoice, 3, &strip.picture);
  uneven.GetButtonRects(&rects);
  EXPECT_EQ(rects[1].T, 0 + 2 + 14);
  EXPECT_EQ(rects[2].T, 16 + 2 + 14);

  IRadioButtonsControl row(&plug, IRECT(10, 0, 10 + 60, 14), EditorTestPlug::kChoice, 3, &strip.picture,
                           IRadioButtonsControl::kHorizontal);
  row.GetButtonRects(&rects);
  EXPECT_EQ(rects[0], IRECT(10, 0, 24, 14));
  EXPECT_EQ(rects[1], IRECT(33, 0, 47, 14));
  EXPECT_EQ(rects[2], IRECT(56, 0, 70, 14));

  IRadioButtonsControl reversed(&plug, IRECT(150, 451, 164, 505), EditorTestPlug::kChoice, 3, &strip.picture,
                                IRadioButtonsControl::kVertical, true);
  reversed.GetButtonRects(&rects);
  EXPECT_EQ(rects[0], IRECT(150, 491, 164, 505));
  EXPECT_EQ(rects[2], IRECT(150, 451, 164, 465));
}

TEST(IRadioButtonsControl, ClicksSelectButtonsAndGapsChangeNothing)
{
  Editor e;
  Strip strip(14, 14, 2);
  auto* radio = new IRadioButtonsControl(&e.plug, IRECT(20, 20, 34, 74), EditorTestPlug::kChoice, 3, &strip.picture);
  e.graphics->AttachControl(radio);
  IMouseMod left(true);
  radio->OnMouseDown(25, 60, &left); // third button (y 60..74)
  EXPECT_DOUBLE_EQ(radio->GetValue(), 1.0);
  EXPECT_EQ(e.plug.GetParam(EditorTestPlug::kChoice)->Int(), 2);
  radio->OnMouseDown(25, 36, &left); // gap between the first two
  EXPECT_DOUBLE_EQ(radio->GetValue(), 1.0);
  radio->OnMouseDown(25, 40, &left); // second: 40..54
  EXPECT_DOUBLE_EQ(radio->GetValue(), 0.5);
  EXPECT_EQ(e.plug.GetParam(EditorTestPlug::kChoice)->Int(), 1);
  IMouseMod alt(true, false, false, false, true);
  radio->OnMouseDown(25, 22, &alt); // Alt: no selection
  EXPECT_DOUBLE_EQ(radio->GetValue(), 0.5);

  // Frame 2 for the selected button, frame 1 for the others.
  EXPECT_EQ(e.FrameAt(25, 25), 1);
  EXPECT_EQ(e.FrameAt(25, 45), 2);
  EXPECT_EQ(e.FrameAt(25, 65), 1);
  EXPECT_EQ(radio->SelectedButton(), 1);
}

TEST(ITextControls, TextsAndCaptions)
{
  Editor e;
  IText text;
  text.mColor = IColor(255, 255, 255, 255);
  text.mAlign = IText::kAlignNear;
  auto* empty = new ITextControl(&e.plug, IRECT(0, 0, 100, 20), &text, "");
  auto* caption = new ICaptionControl(&e.plug, IRECT(0, 100, 100, 114), EditorTestPlug::kPercent, &text, true);
  auto* bare = new ICaptionControl(&e.plug, IRECT(0, 150, 100, 164), EditorTestPlug::kPercent, &text, false);
  e.graphics->AttachControl(empty);
  e.graphics->AttachControl(caption);
  e.graphics->AttachControl(bare);
  e.plug.GetParam(EditorTestPlug::kPercent)->Set(37.5);
  e.graphics->OnIdle();
  EXPECT_FALSE(empty->Draw(e.graphics));
  EXPECT_STREQ(caption->GetTextString(), "37.5 %");
  EXPECT_STREQ(bare->GetTextString(), "37.5");
  // Something was drawn for the caption, nothing for the empty text.
  bool ink = false, emptyInk = false;
  for (int y = 100; y < 118; ++y)
    for (int x = 0; x < 100; ++x)
      ink |= (SurfacePixel(e.graphics, x, y) & 0xffffffu) != 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 100; ++x)
      emptyInk |= (SurfacePixel(e.graphics, x, y) & 0xffffffu) != 0;
  EXPECT_TRUE(ink);
  EXPECT_FALSE(emptyInk);

  // A click on a caption and a double click prompt for the value.
  IMouseMod left(true);
  caption->OnMouseDown(5, 105, &left);
  EXPECT_TRUE(e.graphics->IsPrompting());
  e.graphics->CancelTextEntry();
  EXPECT_TRUE(caption->OnMouseDblClick(5, 105, &left));
  EXPECT_TRUE(e.graphics->IsPrompting());
}

TEST(IBitmapControl, DrawsWithItsBlend)
{
  Editor e;
  Strip strip(10, 10, 1);
  auto* under = new IBitmapControl(&e.plug, IRECT(0, 0, 10, 10), &strip.picture);
  auto* multiply = new IBitmapControl(&e.plug, IRECT(0, 0, 10, 10), &strip.picture,
                                      IChannelBlend(IChannelBlend::kBlendAdd, 1.0f));
  e.graphics->AttachControl(under);
  e.graphics->AttachControl(multiply);
  e.graphics->OnIdle();
  EXPECT_EQ(LICE_GETR(SurfacePixel(e.graphics, 5, 5)), 20); // 10 + 10
}
