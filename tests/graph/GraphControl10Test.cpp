// The graph control: when it renders, what the editor's graph looks like on
// screen, sizes, colours, drawer order and the forwarding of events.
#include "graph/GraphControl10.h"

#include "framework/IMouseMod.h"
#include "framework/LICE_IBitmap.h"
#include "graph/GraphAxis.h"
#include "graph/GraphCurve4.h"
#include "graph/NanoVGExt.h"
#include "tests/support/EditorGraphRig.h"
#include "tests/support/FakePlug.h"
#include "tests/support/LambdaDrawer.h"
#include "tests/support/NeedsDisplay.h"
#include "tests/support/RecordingControl.h"
#include "tests/support/ScopedNoDisplay.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <thread>
#include <vector>

namespace
{
void ExpectScreen(const std::array<int, 4>& got, int r, int g, int b, int tolerance = 1)
{
  EXPECT_NEAR(got[0], r, tolerance);
  EXPECT_NEAR(got[1], g, tolerance);
  EXPECT_NEAR(got[2], b, tolerance);
  EXPECT_EQ(got[3], 255);
}

double gFakeNow = 0.0;
double FakeClock() { return gFakeNow; }
} // namespace

TEST(GraphControl10Test, EmptyEditorGraphIsBlackWithTheSeparatorAlongItsBottom)
{
  EditorGraphRig rig(120, 80);
  ASSERT_HAS_GL(rig.HasGL());
  ASSERT_TRUE(rig.Snapshot());
  for (int x = 0; x < 120; x += 7)
  {
    ExpectScreen(rig.At(x, 79), 24, 24, 24);
    ExpectScreen(rig.At(x, 78), 24, 24, 24);
    ExpectScreen(rig.At(x, 76), 0, 0, 0, 0);
    ExpectScreen(rig.At(x, 40), 0, 0, 0, 0);
    ExpectScreen(rig.At(x, 0), 0, 0, 0, 0);
  }
  // Whatever the anti-aliasing does with the row above, it stays darker.
  EXPECT_LE(rig.At(60, 77)[0], 24);
}

TEST(GraphControl10Test, RendersOnlyWhenDirtyStartingDirty)
{
  FakePlug plug;
  GraphControl10 bare(&plug, nullptr, IRECT(0, 0, 64, 48), -1, 0, 16, "");
  EXPECT_TRUE(bare.IsGraphDirty()) << "nobody needs to mark a new graph";
  if (bare.HasRenderer())
  {
    EXPECT_NE(bare.GetGLBitmap(), nullptr);
    EXPECT_EQ(bare.GetNumRenderedFrames(), 1);
  }

  EditorGraphRig rig(64, 48);
  ASSERT_HAS_GL(rig.HasGL());
  LambdaDrawer drawer;
  rig.Graph().AddCustomDrawer(&drawer);
  EXPECT_EQ(rig.Graph().GetNumRenderedFrames(), 0);

  LICE_IBitmap* first = rig.Graph().GetGLBitmap();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(rig.Graph().GetNumRenderedFrames(), 1);
  EXPECT_FALSE(rig.Graph().IsGraphDirty());
  EXPECT_EQ(first->getWidth(), 64);
  EXPECT_EQ(first->getHeight(), 48);

  EXPECT_EQ(rig.Graph().GetGLBitmap(), first);
  EXPECT_EQ(rig.Graph().GetNumRenderedFrames(), 1);
  EXPECT_EQ(drawer.mNumPre, 1);
  EXPECT_EQ(drawer.mNumPost, 1);
  EXPECT_EQ(drawer.mLastWidth, 64);
  EXPECT_EQ(drawer.mLastHeight, 48);

  // Dirty again with nothing changed: the drawers draw, and the frame is
  // found to repeat the picture already there, which stays.
  rig.Graph().SetGraphDirty(true);
  EXPECT_EQ(rig.Graph().GetGLBitmap(), first);
  EXPECT_EQ(rig.Graph().GetNumRenderedFrames(), 1);
  EXPECT_EQ(rig.Graph().GetNumRepeatedFrames(), 1);
  EXPECT_EQ(drawer.mNumPre, 2);

  // Another clear colour is a new picture.
  rig.Graph().SetBackgroundColor(0, 0, 40, 255);
  EXPECT_EQ(rig.Graph().GetGLBitmap(), first);
  EXPECT_EQ(rig.Graph().GetNumRenderedFrames(), 2);
  EXPECT_EQ(rig.Graph().GetNumRepeatedFrames(), 1);

  // Not dirty and no picture yet (after a resize): none to show.
  rig.Graph().Resize(32, 32);
  rig.Graph().SetGraphDirty(false);
  EXPECT_EQ(rig.Graph().GetGLBitmap(), nullptr);
}

TEST(GraphControl10Test, ResizeRoundsToMultiplesOfFourAndRemakesTheTarget)
{
  EditorGraphRig rig(120, 80);
  GraphAxis* axis = new GraphAxis;
  axis->mLabelX = 100.0;
  rig.Graph().SetVerticalAxis(axis);

  rig.Graph().Resize(301, 203);
  int w = 0, h = 0;
  rig.Graph().GetSize(&w, &h);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 200);
  EXPECT_EQ(*rig.Graph().GetRECT(), IRECT(10, 20, 310, 220));
  EXPECT_EQ(*rig.Graph().GetTargetRECT(), *rig.Graph().GetRECT());
  // Labels keep their distance from the right edge: 120 -> 300 moves them 180.
  EXPECT_DOUBLE_EQ(axis->mLabelX, 280.0);
  EXPECT_TRUE(rig.Graph().IsGraphDirty());

  if (rig.HasGL())
  {
    LICE_IBitmap* bitmap = rig.Graph().GetGLBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->getWidth(), 300);
    EXPECT_EQ(bitmap->getHeight(), 200);
  }

  // Toward zero, negative sizes included.
  rig.Graph().Resize(7, -5);
  rig.Graph().GetSize(&w, &h);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, -4);
  EXPECT_EQ(rig.Graph().GetGLBitmap(), nullptr) << "no picture of a negative size";
}

TEST(GraphControl10Test, ColoursReachTheScreenAsGiven)
{
  EditorGraphRig rig(64, 64);
  ASSERT_HAS_GL(rig.HasGL());
  // A drawer colour (c0 128, c1 128, c2 255) handed over as nvgRGBA(c2, c1, c0, c3).
  LambdaDrawer drawer([](NVGcontext* vg, int, int) {
    nvgFillColor(vg, nvgRGBA(255, 128, 128, 255));
    nvgBeginPath(vg);
    nvgRect(vg, 0, 0, 32, 16); // renderer y 0..16: the bottom on screen
    nvgFill(vg);
  });
  rig.Graph().AddCustomDrawer(&drawer);
  rig.Graph().SetBackgroundColor(10, 20, 200, 255);
  ASSERT_TRUE(rig.Snapshot());
  ExpectScreen(rig.At(10, 55), 128, 128, 255, 0);
  SCOPED_TRACE("the clear colour shows c0 as blue");
  ExpectScreen(rig.At(10, 40), 200, 20, 10, 0);
  ExpectScreen(rig.At(50, 55), 200, 20, 10, 0);
}

TEST(GraphControl10Test, DrawersFrameTheGraphLayersAndTheSeparatorComesLast)
{
  EditorGraphRig rig(64, 64);
  ASSERT_HAS_GL(rig.HasGL());
  rig.Graph().SetBackgroundColor(0, 0, 0, 255);
  std::vector<std::string> order;
  LambdaDrawer first(
    [&](NVGcontext* vg, int w, int h) {
      order.push_back("pre1");
      nvgFillColor(vg, nvgRGBA(0, 0, 255, 255));
      nvgBeginPath(vg);
      nvgRect(vg, 0, 0, static_cast<float>(w), static_cast<float>(h));
      nvgFill(vg);
    },
    [&](NVGcontext* vg, int w, int h) {
      order.push_back("post1");
      // Covers everything: only what comes after it stays visible.
      nvgFillColor(vg, nvgRGBA(255, 255, 255, 255));
      nvgBeginPath(vg);
      nvgRect(vg, 0, 0, static_cast<float>(w), static_cast<float>(h));
      nvgFill(vg);
    });
  LambdaDrawer second([&](NVGcontext*, int, int) { order.push_back("pre2"); },
                      [&](NVGcontext*, int, int) { order.push_back("post2"); });
  rig.Graph().AddCustomDrawer(&first);
  rig.Graph().AddCustomDrawer(&second);
  ASSERT_TRUE(rig.Snapshot());
  EXPECT_EQ(order, (std::vector<std::string>{"pre1", "pre2", "post1", "post2"}));
  ExpectScreen(rig.At(30, 30), 255, 255, 255, 0);
  ExpectScreen(rig.At(30, 63), 24, 24, 24);
}

TEST(GraphControl10Test, PointCurvesDrawSquaresOfThePointSize)
{
  FakePlug plug;
  GraphControl10 graph(&plug, nullptr, IRECT(0, 0, 40, 40), -1, 1, 1, "");
  ASSERT_HAS_GL(graph.HasRenderer());
  GraphCurve4* curve = graph.GetCurve(0);
  ASSERT_NE(curve, nullptr);
  curve->mPointsMode = true;
  curve->mPointSize = 4.0;
  curve->mColor[0] = 1.0f; // red on screen
  curve->mFillAlpha = 1.0;
  curve->mXValues[0] = 10.0;
  curve->mYValues[0] = 10.0;
  graph.SetGraphDirty(true);
  std::vector<uint8_t> screen(40 * 40 * 4);
  ASSERT_TRUE(graph.ReadScreenRGBA(screen.data()));
  auto red = [&](int x, int rendererY) { return screen[((39 - rendererY) * 40 + x) * 4]; };
  for (int x = 8; x < 12; x++)
    for (int y = 8; y < 12; y++)
      EXPECT_EQ(red(x, y), 255) << x << "," << y;
  EXPECT_EQ(red(7, 10), 0);
  EXPECT_EQ(red(12, 10), 0);
  EXPECT_EQ(red(10, 7), 0);
  EXPECT_EQ(red(10, 12), 0);
  EXPECT_EQ(screen[((39 - 10) * 40 + 10) * 4 + 2], 0) << "no blue: red and blue are handed over swapped";
}

TEST(GraphControl10Test, KeyDownAnswersWithTheLastCustomControl)
{
  FakePlug plug;
  GraphControl10 graph(&plug, nullptr, IRECT(0, 0, 40, 40), -1, 0, 16, "");
  EXPECT_FALSE(graph.OnKeyDown(1, 2, 'a', nullptr));

  RecordingControl yes(true), no(false);
  graph.AddCustomControl(&yes);
  graph.AddCustomControl(&no);
  EXPECT_FALSE(graph.OnKeyDown(3, 4, 'a', nullptr));
  EXPECT_EQ(yes.mEvents, std::vector<std::string>{"key 3,4"});
  EXPECT_EQ(no.mEvents, std::vector<std::string>{"key 3,4"});

  GraphControl10 other(&plug, nullptr, IRECT(0, 0, 40, 40), -1, 0, 16, "");
  other.AddCustomControl(&no);
  other.AddCustomControl(&yes);
  EXPECT_TRUE(other.OnKeyDown(5, 6, 'a', nullptr));
}

TEST(GraphControl10Test, EventsReachEveryCustomControlUnchanged)
{
  FakePlug plug;
  GraphControl10 graph(&plug, nullptr, IRECT(0, 0, 40, 40), -1, 0, 16, "");
  graph.SetGraphDirty(false);
  RecordingControl a, b;
  graph.AddCustomControl(&a);
  graph.AddCustomControl(&b);
  EXPECT_FALSE(graph.IsGraphDirty()) << "adding a control does not redraw";
  IMouseMod mod;
  graph.OnMouseUp(1, 2, &mod);
  graph.OnMouseDrag(3, 4, 1, 1, &mod);
  graph.OnMouseWheel(5, 6, &mod, 1.0);
  graph.OnMouseOver(-7, 8, &mod);
  graph.OnMouseOut();
  const std::vector<std::string> expected{"up 1,2", "drag 3,4", "wheel 5,6", "over -7,8", "out 0,0"};
  EXPECT_EQ(a.mEvents, expected);
  EXPECT_EQ(b.mEvents, expected);
}

TEST(GraphControl10Test, LateDoubleClickReachesControlsAsMouseDownOnly)
{
  IControl::SetClockForTesting(&FakeClock);
  FakePlug plug;
  GraphControl10 graph(&plug, nullptr, IRECT(0, 0, 40, 40), -1, 0, 16, "");
  RecordingControl control;
  graph.AddCustomControl(&control);
  IMouseMod mod;

  gFakeNow = 1000.0;
  graph.OnMouseDown(5, 5, &mod);
  gFakeNow = 2000.0; // a second after the press: no double click
  EXPECT_FALSE(graph.OnMouseDblClick(6, 7, &mod));
  EXPECT_EQ(control.mEvents, (std::vector<std::string>{"down 5,5", "down 6,7"}));

  gFakeNow = 2100.0;
  EXPECT_TRUE(graph.OnMouseDblClick(8, 9, &mod));
  EXPECT_EQ(control.mEvents.back(), "dbl 8,9");
  EXPECT_EQ(control.mEvents.size(), 3u);
  IControl::SetClockForTesting(nullptr);
}

TEST(GraphControl10Test, WithoutDisplayNothingIsRendered)
{
  ScopedNoDisplay noDisplay;
  FakePlug plug;
  GraphControl10 graph(&plug, nullptr, IRECT(0, 0, 40, 40), -1, 2, 16, "");
  LambdaDrawer drawer;
  graph.AddCustomDrawer(&drawer);
  EXPECT_FALSE(graph.HasRenderer());
  EXPECT_EQ(graph.GetGLBitmap(), nullptr);
  EXPECT_EQ(graph.GetGLBitmap(), nullptr);
  std::vector<uint8_t> screen(40 * 40 * 4, 7);
  EXPECT_FALSE(graph.ReadScreenRGBA(screen.data()));
  EXPECT_EQ(screen[0], 7);
  EXPECT_EQ(drawer.mNumPre, 0);
  EXPECT_TRUE(graph.Draw(nullptr));
  graph.Resize(100, 100);
}

TEST(GraphControl10Test, AutoAdjustGlidesTowardThreeQuartersOfTheHighestPoint)
{
  ScopedNoDisplay noDisplay; // arithmetic only
  FakePlug plug;
  GraphControl10 graph(&plug, nullptr, IRECT(0, 0, 40, 40), -1, 2, 4, "");
  graph.GetCurve(0)->mYValues[1] = 0.5;
  graph.SetGraphDirty(false);
  graph.UpdateAutoAdjust();
  // The first target is taken at once.
  EXPECT_DOUBLE_EQ(graph.GetAutoAdjustFactor(), 1.5);
  EXPECT_TRUE(graph.IsGraphDirty());

  graph.GetCurve(1)->mYValues[3] = 1.5; // target 0.5
  graph.UpdateAutoAdjust();
  EXPECT_DOUBLE_EQ(graph.GetAutoAdjustFactor(), 0.9 * 1.5 + 0.1 * 0.5);

  for (int c = 0; c < 2; c++)
    for (int i = 0; i < 4; i++)
      graph.GetCurve(c)->mYValues[i] = -1.0;
  const double before = graph.GetAutoAdjustFactor();
  graph.UpdateAutoAdjust();
  EXPECT_DOUBLE_EQ(graph.GetAutoAdjustFactor(), 0.9 * before + 0.1 * 1.0);
}

TEST(GraphControl10Test, LegendLinesStackDownOverNamedCurvesOnly)
{
  EXPECT_DOUBLE_EQ(GraphControl10::LegendY(0, 200), 190.0);
  EXPECT_DOUBLE_EQ(GraphControl10::LegendY(1, 200), 178.0);

  FakePlug plug;
  GraphControl10 graph(&plug, nullptr, IRECT(0, 0, 80, 60), -1, 3, 2, "");
  ASSERT_HAS_GL(graph.HasRenderer());
  // Curves drawn off the picture; only their legend lines show.
  for (int c = 0; c < 3; c++)
  {
    GraphCurve4* curve = graph.GetCurve(c);
    curve->mColor[1] = 1.0f;
    curve->mLineWidth = 2.0;
    for (int i = 0; i < 2; i++)
      curve->mXValues[i] = curve->mYValues[i] = GraphCurve4::kUndefined;
  }
  graph.GetCurve(0)->SetName("first");
  graph.GetCurve(2)->SetName("third");
  std::vector<uint8_t> screen(80 * 60 * 4);
  ASSERT_TRUE(graph.ReadScreenRGBA(screen.data()));
  auto green = [&](int x, int rendererY) { return screen[((59 - rendererY) * 80 + x) * 4 + 1]; };
  EXPECT_EQ(green(50, 50), 255) << "first named curve at height - 10";
  EXPECT_EQ(green(50, 38), 255) << "second named curve at height - 22";
  EXPECT_EQ(green(50, 26), 0) << "the unnamed curve has no entry";
  EXPECT_EQ(green(35, 50), 0) << "lines run from x 40 to 60";
  EXPECT_EQ(green(65, 50), 0);
}

TEST(GraphControl10Test, GraphsDrawnOnTwoThreadsAtOnceKeepTheirOwnPictures)
{
  // The graphs of a process share one GL context: each frame must still be
  // its own graph's, whichever thread draws it.
  auto fill = [](unsigned char r, unsigned char g, unsigned char b) {
    return [=](NVGcontext* vg, int w, int h) {
      nvgBeginPath(vg);
      nvgFillColor(vg, nvgRGBA(r, g, b, 255));
      nvgRect(vg, 0, 0, static_cast<float>(w), static_cast<float>(h) * 0.5f);
      nvgFill(vg);
    };
  };
  EditorGraphRig rigs[2] = {EditorGraphRig(64, 48), EditorGraphRig(64, 48)};
  LambdaDrawer drawers[2] = {LambdaDrawer(fill(255, 0, 0)), LambdaDrawer(fill(0, 0, 255))};
  // The filled lower half and the empty upper half, drawn one at a time.
  std::array<int, 4> expected[2], top[2];
  for (int i = 0; i < 2; ++i)
  {
    ASSERT_HAS_GL(rigs[i].HasGL());
    rigs[i].Graph().AddCustomDrawer(&drawers[i]);
    ASSERT_TRUE(rigs[i].Snapshot());
    expected[i] = rigs[i].At(32, 40);
    top[i] = rigs[i].At(32, 8);
  }
  ASSERT_NE(expected[0], expected[1]);
  int wrong[2] = {0, 0};
  auto draw = [&](int i) {
    for (int frame = 0; frame < 30; ++frame)
    {
      rigs[i].Graph().SetGraphDirty(true);
      if (!rigs[i].Snapshot() || rigs[i].At(32, 40) != expected[i] || rigs[i].At(32, 8) != top[i])
        ++wrong[i];
    }
  };
  std::thread other(draw, 1);
  draw(0);
  other.join();
  EXPECT_EQ(wrong[0], 0);
  EXPECT_EQ(wrong[1], 0);
  EXPECT_EQ(drawers[0].mNumPre, 31);
  EXPECT_EQ(drawers[1].mNumPre, 31);
}
