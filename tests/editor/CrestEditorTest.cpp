// The plug-in's editor as built by its layout: positions at the three
// sizes, size switching through the buttons, and the picture it shows.
#include "editor/IGUIResizeButtonControl2.h"
#include "editor/IRadioButtonsControlExt.h"
#include "framework/IGraphics.h"
#include "framework/IKnobMultiControl.h"
#include "framework/ITextControl.h"
#include "graph/GraphControl10.h"
#include "plugin/Crest.h"
#include "tests/framework/EditorTestPlug.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
std::unique_ptr<Crest> MakeCrest()
{
  UseSourceResources();
  return std::make_unique<Crest>();
}

template <typename T>
T* FindBound(IGraphics* g, int paramIdx)
{
  for (int i = 0; i < g->NControls(); ++i)
    if (auto* c = dynamic_cast<T*>(g->GetControl(i)); c && c->ParamIdx() == paramIdx)
      return c;
  return nullptr;
}

ITextControl* FindText(IGraphics* g, const char* str)
{
  for (int i = 0; i < g->NControls(); ++i)
    if (auto* t = dynamic_cast<ITextControl*>(g->GetControl(i)); t && std::strcmp(t->GetTextString(), str) == 0)
      return t;
  return nullptr;
}

struct Size
{
  int w, h, off, param;
};
constexpr Size kSizes[3] = {
  {800, 555, 0, Crest::kSmallGUI}, {920, 640, 85, Crest::kMediumGUI}, {1040, 722, 167, Crest::kBigGUI}};

void ExpectLayout(Crest& crest, const Size& s, bool rebuilt = true)
{
  IGraphics* g = crest.GetGUI();
  ASSERT_EQ(g->Width(), s.w);
  ASSERT_EQ(g->Height(), s.h);
  const struct
  {
    int param, x;
  } knobs[] = {{Crest::kSpeed, 195}, {Crest::kDensity, 265}, {Crest::kScale, 335}};
  for (const auto& k : knobs)
  {
    auto* knob = FindBound<IKnobMultiControl>(g, k.param);
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->GetRECT()->L, k.x);
    EXPECT_EQ(knob->GetRECT()->T, 440 + s.off);
  }
  auto* mode = FindBound<IRadioButtonsControlExt>(g, Crest::kMode);
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(mode->GetRECT()->L, 150);
  EXPECT_EQ(mode->GetRECT()->T, 451 + s.off);
  EXPECT_EQ(mode->GetRECT()->H(), 54);
  for (int i = 0; i < 3; ++i)
  {
    IGUIResizeButtonControl2* button = crest.GetSizeButton(i);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetRECT()->L, 20);
    EXPECT_EQ(button->GetRECT()->T, 423 + 28 * i + s.off);
    EXPECT_EQ(button->GetTargetWidth(), kSizes[i].w);
    EXPECT_EQ(button->GetTargetHeight(), kSizes[i].h);
  }
  ITextControl* version = FindText(g, "v5.3.0");
  ASSERT_NE(version, nullptr);
  EXPECT_EQ((version->GetRECT()->L + version->GetRECT()->R) / 2, s.w / 2);
  EXPECT_EQ(version->GetRECT()->T, s.h - 15);
  for (const char* text : {"SPEED", "DENSITY", "SCALE", "MODE", "LINES FREQ", "LINES TIME", "POINTS"})
    EXPECT_NE(FindText(g, text), nullptr) << text;
  // The graph keeps its margins; a rebuilt layout draws it last.
  ASSERT_NE(crest.GetGraph(), nullptr);
  if (rebuilt)
  {
    EXPECT_EQ(g->GetControl(g->NControls() - 1), crest.GetGraph());
  }
  int gw = 0, gh = 0;
  crest.GetGraph()->GetSize(&gw, &gh);
  EXPECT_EQ(gw, (800 + s.w - 800) / 4 * 4);
  EXPECT_EQ(gh, 408 + s.h - 555 - (s.h == 640 ? 1 : s.h == 722 ? 3 : 0)); // multiples of 4
}

// An RGBA pixel of a snapshot.
struct Rgb
{
  int r, g, b;
};
Rgb At(const std::vector<uint8_t>& rgba, int w, int x, int y)
{
  const size_t i = (static_cast<size_t>(y) * w + x) * 4;
  return {rgba[i], rgba[i + 1], rgba[i + 2]};
}
} // namespace

TEST(CrestEditor, LayoutAtTheThreeSizes)
{
  auto crest = MakeCrest();
  ExpectLayout(*crest, kSizes[0], false);
  GraphControl10* graph = crest->GetGraph();
  CrestRender* view = crest->GetView();
  for (const Size& s : {kSizes[1], kSizes[2], kSizes[0]})
  {
    crest->SetParameterFromGUI(s.param, 1.0);
    SCOPED_TRACE(std::to_string(s.w));
    ExpectLayout(*crest, s);
    // The graph and the view live through every rebuild.
    EXPECT_EQ(crest->GetGraph(), graph);
    EXPECT_EQ(crest->GetView(), view);
    EXPECT_EQ(crest->GetParam(Crest::kGraph)->GetNameForHost(), std::string("Graph"));
  }
}

TEST(CrestEditor, SizeButtonClickResizesAndLightsTheNewButton)
{
  auto crest = MakeCrest();
  IGraphics* g = crest->GetGUI();
  g->OnIdle();
  IMouseMod none, left(true);
  // Hover the 920 x 640 button, click it.
  g->OnMouseOver(30, 460, &none);
  EXPECT_DOUBLE_EQ(crest->GetSizeButton(1)->GetValue(), 0.5);
  g->OnMouseDown(30, 460, &left);
  g->OnMouseUp(30, 460, &left);
  EXPECT_EQ(g->Width(), 920);
  EXPECT_EQ(g->Height(), 640);
  EXPECT_EQ(crest->GetParam(Crest::kMediumGUI)->Int(), 1);
  EXPECT_EQ(crest->GetParam(Crest::kSmallGUI)->Int(), 0);
  EXPECT_EQ(crest->GetParam(Crest::kBigGUI)->Int(), 0);
  ExpectLayout(*crest, kSizes[1]);
  EXPECT_DOUBLE_EQ(crest->GetSizeButton(1)->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(crest->GetSizeButton(0)->GetValue(), 0.0);
  // Clicking the lit button changes nothing.
  IGUIResizeButtonControl2* lit = crest->GetSizeButton(1);
  g->OnMouseDown(30, 460 + 85, &left);
  g->OnMouseUp(30, 460 + 85, &left);
  EXPECT_EQ(crest->GetSizeButton(1), lit);
  EXPECT_EQ(g->Width(), 920);
}

TEST(CrestEditor, KnobDragReachesTheParameter)
{
  auto crest = MakeCrest();
  IGraphics* g = crest->GetGUI();
  IMouseMod left(true);
  g->OnMouseDown(215, 460, &left);
  g->OnMouseDrag(215, 452, &left); // 8 pixels up on a 40-pixel knob, gearing 4: +0.05
  g->OnMouseUp(215, 452, &left);
  EXPECT_NEAR(crest->GetParam(Crest::kSpeed)->Value(), 55.0, 1e-9);
  // The caption follows.
  g->OnIdle();
  EXPECT_NE(FindText(g, "55.0 %"), nullptr);
}

TEST(CrestEditor, PictureAtEachSize)
{
  auto crest = MakeCrest();
  for (const Size& s : kSizes)
  {
    SCOPED_TRACE(std::to_string(s.w));
    crest->SetParameterFromGUI(s.param, 1.0);
    IGraphics* g = crest->GetGUI();
    std::vector<uint8_t> rgba(static_cast<size_t>(s.w) * s.h * 4);
    ASSERT_TRUE(g->Snapshot(rgba.data(), s.w, s.h));

    // The panel's dark grey in the empty part of the lower row.
    const Rgb panel = At(rgba, s.w, s.w - 200, 440 + s.off + 20);
    EXPECT_GE(panel.r, 15);
    EXPECT_LE(panel.r, 45);
    EXPECT_NEAR(panel.g, panel.r, 4);
    EXPECT_GE(panel.b, panel.r);
    EXPECT_LE(panel.b, panel.r + 8);

    // Speed knob at 50 %: its blue arc passes over the top, its body is grey.
    const int cx = 195 + 20, cy = 440 + s.off + 20;
    const Rgb arc = At(rgba, s.w, cx, cy - 17);
    EXPECT_GT(arc.b, 200);
    EXPECT_GT(arc.b, arc.r + 100);
    const Rgb body = At(rgba, s.w, cx - 5, cy + 5);
    EXPECT_GE(body.r, 30);
    EXPECT_LE(body.r, 90);
    // Below the knob, the value field holds light caption text.
    int bright = 0;
    for (int y = cy + 34; y < cy + 50; ++y)
      for (int x = cx - 28; x < cx + 28; ++x)
        bright += At(rgba, s.w, x, y).r > 180;
    EXPECT_GT(bright, 10);

    // The graph area: black with two rows of (24, 24, 24) at its bottom
    // when the graph has a GL picture; the background's dark area otherwise.
    int gw = 0, gh = 0;
    crest->GetGraph()->GetSize(&gw, &gh);
    const Rgb inside = At(rgba, s.w, s.w / 2, gh / 2);
    if (crest->GetGraph()->HasRenderer())
    {
      EXPECT_EQ(inside.r + inside.g + inside.b, 0);
      for (int y : {gh - 2, gh - 1})
      {
        const Rgb sep = At(rgba, s.w, 100, y);
        EXPECT_EQ(sep.r, 24);
        EXPECT_EQ(sep.g, 24);
        EXPECT_EQ(sep.b, 24);
      }
    }
    else
    {
      EXPECT_LT(inside.r, 20);
    }
  }
}
