// The editor surface without a window: pictures, drawing order, dirty
// redraws, GL picture composition, event routing and the value prompt.
#include "framework/IControl.h"
#include "framework/IGraphics.h"
#include "framework/IKeyCodes.h"
#include "framework/IResources.h"
#include "framework/ITextEntry.h"
#include "framework/LICE_Blit.h"
#include "framework/LICE_MemBitmap.h"
#include "tests/framework/EditorTestPlug.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
class FillControl : public IControl
{
public:
  FillControl(IPlugBase* plug, IRECT r, IColor c, int param = -1) : IControl(plug, r, param), colour(c) {}
  bool Draw(IGraphics* g) override
  {
    ++draws;
    return g->FillIRect(&colour, &mRECT);
  }
  IColor colour;
  int draws = 0;
};

class GLFakeControl : public IControl
{
public:
  GLFakeControl(IPlugBase* plug, IRECT r) : IControl(plug, r), picture(r.W(), r.H())
  {
    LICE_Clear(&picture, LICE_RGBA(0, 0, 0, 255));
    // Two rows of (24, 24, 24) at the bottom, like the graph's separator.
    for (int y = r.H() - 2; y < r.H(); ++y)
      for (int x = 0; x < r.W(); ++x)
        picture.getBits()[y * r.W() + x] = LICE_RGBA(24, 24, 24, 255);
  }
  bool Draw(IGraphics*) override { return true; }
  LICE_IBitmap* GetGLBitmap() override
  {
    ++asked;
    return &picture;
  }
  LICE_MemBitmap picture;
  int asked = 0;
};

class RecordingControl : public IControl
{
public:
  RecordingControl(IPlugBase* plug, IRECT r, std::vector<std::string>* log, const char* name, int param = -1)
    : IControl(plug, r, param), mLog(log), mName(name)
  {
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    Log("down " + std::to_string(x) + "," + std::to_string(y) + (mod->R ? " R" : ""));
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override { Log("up " + std::to_string(x) + "," + std::to_string(y)); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override
  {
    Log("drag " + std::to_string(dX) + "," + std::to_string(dY));
  }
  bool OnMouseDblClick(int x, int y, IMouseMod* mod) override
  {
    Log("dbl");
    return IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(int, int, IMouseMod*, double d) override { Log("wheel " + std::to_string(static_cast<int>(d))); }
  bool OnKeyDown(int, int, int key, IMouseMod*) override
  {
    Log("key " + std::to_string(key));
    return true;
  }
  void OnMouseOver(int, int, IMouseMod*) override { Log("over"); }
  void OnMouseOut() override { Log("out"); }
  bool Draw(IGraphics*) override { return true; }

private:
  void Log(const std::string& s) { mLog->push_back(std::string(mName) + " " + s); }
  std::vector<std::string>* mLog;
  const char* mName;
};

struct Editor
{
  Editor(int w = 200, int h = 100)
  {
    UseSourceResources();
    graphics = new IGraphics(&plug, w, h);
    graphics->HandleMouseOver(true);
    plug.AttachGraphics(graphics);
  }
  EditorTestPlug plug;
  IGraphics* graphics; // owned by plug
};
} // namespace

TEST(IGraphicsPictures, LoadsByIdOnceWithFrames)
{
  Editor e;
  IBitmap knob = e.graphics->LoadIBitmap(106, "resources/img/blue-knob-small.png", 180);
  ASSERT_NE(knob.mData, nullptr);
  EXPECT_EQ(knob.W, 40);
  EXPECT_EQ(knob.H, 7200);
  EXPECT_EQ(knob.N, 180);
  EXPECT_EQ(knob.FrameHeight(), 40);
  // Same id: the cached pixels, whatever path is named now.
  IBitmap again = e.graphics->LoadIBitmap(106, "resources/img/other.png", 180);
  EXPECT_EQ(again.mData, knob.mData);
  IBitmap missing = e.graphics->LoadIBitmap(999, "resources/img/none.png", 2);
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(missing.W, 0);
}

TEST(IGraphicsPictures, AFileIsDecodedOncePerProcessAndFreedWithItsLastEditor)
{
  const int before = IResources::NumShared();
  {
    auto first = std::make_unique<Editor>();
    auto second = std::make_unique<Editor>();
    IBitmap a = first->graphics->LoadIBitmap(106, "resources/img/blue-knob-small.png", 180);
    IBitmap b = first->graphics->LoadIBitmap(105, "resources/img/blue-knob-small.png", 180);
    IBitmap c = second->graphics->LoadIBitmap(106, "resources/img/blue-knob-small.png", 180);
    ASSERT_NE(a.mData, nullptr);
    EXPECT_EQ(b.mData, a.mData);
    EXPECT_EQ(c.mData, a.mData);
    EXPECT_EQ(IResources::NumShared(), before + 1);
    second->graphics->LoadIBitmap(107, "resources/img/none.png", 1);
    EXPECT_EQ(IResources::NumShared(), before + 1) << "a missing file is not kept";
    first.reset();
    // Still held by the second editor, and still readable.
    EXPECT_EQ(IResources::NumShared(), before + 1);
    EXPECT_EQ(c.mData->getWidth(), 40);
    EXPECT_EQ(c.mData->getBits()[20 * 40 + 20], a.mData->getBits()[20 * 40 + 20]);
  }
  EXPECT_EQ(IResources::NumShared(), before);
}

TEST(IGraphicsPictures, AFileIsReadOncePerProcess)
{
  const int before = IResources::NumShared();
  const std::string path = std::string(CREST_SOURCE_DIR) + "/resources/img/shadows.png";
  auto a = IResources::SharedFile(path);
  auto b = IResources::SharedFile(path);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->size(), 85u);
  EXPECT_EQ((*a)[1], 'P');
  EXPECT_EQ(IResources::SharedFile(path + ".none"), nullptr);
  EXPECT_EQ(IResources::NumShared(), before + 1);
  a.reset();
  b.reset();
  EXPECT_EQ(IResources::NumShared(), before);
}

TEST(IGraphicsDrawing, BackgroundIsStretchedOverTheEditor)
{
  // The background picture is 800 x 555; an editor of half that size shows
  // all of it: its graph area on top and its panel at the bottom.
  Editor e(400, 278);
  e.graphics->AttachBackground(100, "resources/img/background.png");
  e.graphics->OnIdle();
  const LICE_pixel top = SurfacePixel(e.graphics, 200, 10);
  const LICE_pixel bottom = SurfacePixel(e.graphics, 200, 270);
  EXPECT_LT(LICE_GETR(top), 20);
  EXPECT_GT(LICE_GETR(bottom), LICE_GETR(top));
  EXPECT_EQ(LICE_GETA(top), 255);
}

TEST(IGraphicsDrawing, TheSurfaceIsMadeByTheFirstDrawAndDrawnWhole)
{
  Editor e;
  e.graphics->AttachControl(new FillControl(&e.plug, IRECT(50, 20, 150, 80), IColor(255, 0, 0, 200)));
  EXPECT_FALSE(e.graphics->HasDrawSurface());
  e.graphics->DrawRegion(IRECT(0, 0, 4, 4));
  ASSERT_TRUE(e.graphics->HasDrawSurface());
  EXPECT_EQ(SurfacePixel(e.graphics, 100, 50), LICE_RGBA(0, 0, 200, 255));
}

TEST(IGraphicsDrawing, ControlsAreDrawnInAttachOrder)
{
  Editor e;
  auto* under = new FillControl(&e.plug, IRECT(10, 10, 60, 60), IColor(255, 255, 0, 0));
  auto* over = new FillControl(&e.plug, IRECT(40, 40, 90, 90), IColor(255, 0, 0, 255));
  e.graphics->AttachControl(under);
  e.graphics->AttachControl(over);
  e.graphics->OnIdle();
  EXPECT_EQ(SurfacePixel(e.graphics, 20, 20), LICE_RGBA(255, 0, 0, 255));
  EXPECT_EQ(SurfacePixel(e.graphics, 50, 50), LICE_RGBA(0, 0, 255, 255));
  EXPECT_EQ(SurfacePixel(e.graphics, 150, 50), LICE_RGBA(0, 0, 0, 255)); // no background: black
  // Hidden controls are not drawn.
  over->Hide(true);
  over->SetDirty(false);
  e.graphics->OnIdle();
  EXPECT_EQ(SurfacePixel(e.graphics, 50, 50), LICE_RGBA(255, 0, 0, 255));
  EXPECT_EQ(SurfacePixel(e.graphics, 80, 80), LICE_RGBA(0, 0, 0, 255));
}

TEST(IGraphicsDrawing, OnlyDirtyRegionsAreRedrawn)
{
  Editor e;
  auto* a = new FillControl(&e.plug, IRECT(0, 0, 20, 20), IColor(255, 255, 0, 0));
  auto* b = new FillControl(&e.plug, IRECT(100, 0, 120, 20), IColor(255, 0, 255, 0));
  auto* c = new FillControl(&e.plug, IRECT(110, 10, 150, 30), IColor(255, 0, 0, 255));
  for (IControl* ctl : {static_cast<IControl*>(a), static_cast<IControl*>(b), static_cast<IControl*>(c)})
    e.graphics->AttachControl(ctl);
  e.graphics->OnIdle();
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(b->draws, 1);
  const int redraws = e.graphics->GetNumRedraws();

  // Nothing dirty: no redraw at all.
  e.graphics->OnIdle();
  EXPECT_EQ(e.graphics->GetNumRedraws(), redraws);

  // b dirty: b and the overlapping c are redrawn (c stays on top), a is not.
  b->SetDirty(false);
  e.graphics->OnIdle();
  EXPECT_EQ(e.graphics->GetNumRedraws(), redraws + 1);
  EXPECT_EQ(e.graphics->GetLastRedrawRECT(), IRECT(100, 0, 120, 20));
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(b->draws, 2);
  EXPECT_EQ(c->draws, 2);
  EXPECT_EQ(SurfacePixel(e.graphics, 115, 15), LICE_RGBA(0, 0, 255, 255));
}

TEST(IGraphicsDrawing, GrowingTextRepaintsWhatItCovers)
{
  // A text control draws beyond its (zero-height) rectangle; a change must
  // clear the old text and show all of the new one.
  Editor e;
  class Label : public IControl
  {
  public:
    Label(IPlugBase* p) : IControl(p, IRECT(10, 40, 190, 40)) { mText.mColor = IColor(255, 255, 255, 255); }
    bool Draw(IGraphics* g) override { return g->DrawIText(&mText, str.c_str(), &mRECT); }
    std::string str = "I";
  };
  auto* label = new Label(&e.plug);
  label->GetText()->mAlign = IText::kAlignNear;
  e.graphics->AttachControl(label);
  e.graphics->OnIdle();
  auto inkRight = [&] {
    int right = -1;
    for (int y = 40; y < 60; ++y)
      for (int x = 0; x < 200; ++x)
        if ((SurfacePixel(e.graphics, x, y) & 0xffffffu) != 0)
          right = std::max(right, x);
    return right;
  };
  const int narrow = inkRight();
  EXPECT_GT(narrow, 10);
  label->str = "IIIIIIIIIIIIIIII";
  label->SetDirty(false);
  e.graphics->OnIdle();
  const int wide = inkRight();
  EXPECT_GT(wide, narrow + 30);
  label->str = "I";
  label->SetDirty(false);
  e.graphics->OnIdle();
  EXPECT_EQ(inkRight(), narrow);
}

TEST(IGraphicsDrawing, GLPicturesAreComposedOverTheirRectangleWhenTheirAreaIsRedrawn)
{
  Editor e;
  auto* below = new FillControl(&e.plug, IRECT(0, 0, 200, 100), IColor(255, 200, 200, 200));
  auto* gl = new GLFakeControl(&e.plug, IRECT(20, 10, 120, 60));
  auto* elsewhere = new FillControl(&e.plug, IRECT(150, 70, 160, 80), IColor(255, 0, 255, 0));
  e.graphics->AttachControl(below);
  e.graphics->AttachControl(gl);
  e.graphics->AttachControl(elsewhere);
  e.graphics->OnIdle();
  EXPECT_EQ(gl->asked, 1);
  EXPECT_EQ(SurfacePixel(e.graphics, 30, 20), LICE_RGBA(0, 0, 0, 255));
  EXPECT_EQ(SurfacePixel(e.graphics, 30, 58), LICE_RGBA(24, 24, 24, 255));
  EXPECT_EQ(SurfacePixel(e.graphics, 30, 59), LICE_RGBA(24, 24, 24, 255));
  EXPECT_EQ(SurfacePixel(e.graphics, 30, 60), LICE_RGBA(200, 200, 200, 255));

  // A redraw elsewhere does not ask the GL control; an idle editor asks nothing.
  elsewhere->SetDirty(false);
  e.graphics->OnIdle();
  e.graphics->OnIdle();
  EXPECT_EQ(gl->asked, 1);
  // The GL control marked dirty: asked again, still on top of what lies under it.
  gl->SetDirty(false);
  e.graphics->OnIdle();
  EXPECT_EQ(gl->asked, 2);
  EXPECT_EQ(SurfacePixel(e.graphics, 30, 20), LICE_RGBA(0, 0, 0, 255));
}

// A GL control whose frames cost `cost` ms of the test clock.
class CostlyGLControl : public GLFakeControl
{
public:
  CostlyGLControl(IPlugBase* plug, IRECT r, double* clock, double cost)
    : GLFakeControl(plug, r), mClock(clock), mCost(cost)
  {
  }
  bool IsGLFramePending() const override { return pending; }
  LICE_IBitmap* GetGLBitmap() override
  {
    if (pending)
      *mClock += mCost;
    pending = false;
    return GLFakeControl::GetGLBitmap();
  }
  LICE_IBitmap* GetLastGLBitmap() override { return &picture; }
  bool pending = true;

private:
  double* mClock;
  double mCost;
};

TEST(IGraphicsDrawing, TheTickPacesGLFrames)
{
  static double now = 0.0;
  IControl::SetClockForTesting([] { return now; });
  Editor e;
  // Cheap frames asked for at every 10 ms tick: at most 25 a second.
  auto* cheap = new CostlyGLControl(&e.plug, IRECT(0, 0, 50, 50), &now, 0.0);
  e.graphics->AttachControl(cheap);
  const int redraws = e.graphics->GetNumRedraws();
  for (int tick = 0; tick < 100; ++tick, now += 10.0)
  {
    cheap->pending = true;
    cheap->SetDirty(false);
    e.graphics->OnIdle();
  }
  EXPECT_GE(cheap->asked, 24);
  EXPECT_LE(cheap->asked, 26);
  // The ticks between two frames leave the control's old picture alone:
  // nothing is redrawn (or sent to the window) for it.
  EXPECT_EQ(e.graphics->GetNumRedraws() - redraws, cheap->asked);

  // A 60 ms frame at 40 ms ticks: the next waits 60 ms after it ended.
  e.graphics->ClearControls();
  auto* costly = new CostlyGLControl(&e.plug, IRECT(0, 0, 50, 50), &now, 60.0);
  e.graphics->AttachControl(costly);
  std::vector<double> starts;
  for (int tick = 0; tick < 12; ++tick)
  {
    now = 2000.0 + 40.0 * tick;
    const int before = costly->asked;
    costly->pending = true;
    costly->SetDirty(false);
    e.graphics->OnIdle();
    if (costly->asked > before)
      starts.push_back(2000.0 + 40.0 * tick);
  }
  ASSERT_GE(starts.size(), 3u);
  for (size_t i = 1; i < starts.size(); ++i)
    EXPECT_GE(starts[i] - starts[i - 1], 120.0);
  // A snapshot renders at once, paced or not.
  const int before = costly->asked;
  costly->pending = true;
  std::vector<uint8_t> rgba(200 * 100 * 4);
  ASSERT_TRUE(e.graphics->Snapshot(rgba.data(), 200, 100));
  EXPECT_EQ(costly->asked, before + 1);
  IControl::SetClockForTesting(nullptr);
}

TEST(IGraphicsDrawing, SnapshotDrawsEverythingAsRgba)
{
  Editor e;
  e.graphics->AttachControl(new FillControl(&e.plug, IRECT(0, 0, 10, 10), IColor(255, 10, 20, 30)));
  std::vector<uint8_t> rgba(200 * 100 * 4);
  EXPECT_FALSE(e.graphics->Snapshot(rgba.data(), 100, 100));
  EXPECT_FALSE(e.graphics->Snapshot(nullptr, 200, 100));
  ASSERT_TRUE(e.graphics->Snapshot(rgba.data(), 200, 100));
  EXPECT_EQ(rgba[0], 10);
  EXPECT_EQ(rgba[1], 20);
  EXPECT_EQ(rgba[2], 30);
  EXPECT_EQ(rgba[3], 255);
  const size_t outside = (50 * 200 + 50) * 4;
  EXPECT_EQ(rgba[outside], 0);
}

TEST(IGraphicsEvents, ClicksGoToTheTopmostEligibleControl)
{
  Editor e;
  std::vector<std::string> log;
  auto* under = new RecordingControl(&e.plug, IRECT(0, 0, 100, 100), &log, "under");
  auto* transparent = new RecordingControl(&e.plug, IRECT(0, 0, 50, 50), &log, "transparent");
  auto* hidden = new RecordingControl(&e.plug, IRECT(0, 50, 50, 100), &log, "hidden");
  auto* top = new RecordingControl(&e.plug, IRECT(60, 60, 80, 80), &log, "top");
  transparent->SetMouseTransparent(true);
  hidden->Hide(true);
  for (IControl* c : {static_cast<IControl*>(under), static_cast<IControl*>(transparent),
                      static_cast<IControl*>(hidden), static_cast<IControl*>(top)})
    e.graphics->AttachControl(c);

  IMouseMod left(true);
  e.graphics->OnMouseDown(10, 10, &left);
  e.graphics->OnMouseDown(10, 60, &left);
  e.graphics->OnMouseDown(70, 70, &left);
  e.graphics->OnMouseDown(150, 50, &left); // nothing there
  EXPECT_EQ(log, (std::vector<std::string>{"under down 10,10", "under down 10,60", "top down 70,70"}));
  EXPECT_EQ(e.graphics->GetMouseControl(150, 50), nullptr);
}

TEST(IGraphicsEvents, DragGoesToThePressedControlWithDeltas)
{
  Editor e;
  std::vector<std::string> log;
  e.graphics->AttachControl(new RecordingControl(&e.plug, IRECT(0, 0, 20, 20), &log, "a"));
  e.graphics->AttachControl(new RecordingControl(&e.plug, IRECT(50, 0, 70, 20), &log, "b"));
  IMouseMod left(true);
  e.graphics->OnMouseDown(10, 10, &left);
  e.graphics->OnMouseDrag(10, 0, &left); // up 10
  e.graphics->OnMouseDrag(10, 0, &left); // no move: nothing
  e.graphics->OnMouseDrag(60, 5, &left); // over b: still a's drag
  e.graphics->OnMouseUp(60, 5, &left);
  e.graphics->OnMouseDrag(61, 5, &left); // released: nobody
  EXPECT_EQ(log, (std::vector<std::string>{"a down 10,10", "a drag 0,-10", "a drag 50,5", "a up 60,5"}));
}

TEST(IGraphicsEvents, MouseOverTrackingWheelAndKeys)
{
  Editor e;
  std::vector<std::string> log;
  e.graphics->AttachControl(new RecordingControl(&e.plug, IRECT(0, 0, 20, 20), &log, "a"));
  e.graphics->AttachControl(new RecordingControl(&e.plug, IRECT(50, 0, 70, 20), &log, "b"));
  IMouseMod none;
  e.graphics->OnMouseOver(5, 5, &none);
  e.graphics->OnMouseOver(6, 5, &none);
  e.graphics->OnMouseOver(55, 5, &none);
  e.graphics->OnMouseOver(150, 50, &none);
  e.graphics->OnMouseOver(55, 5, &none);
  e.graphics->OnMouseOut();
  e.graphics->OnMouseWheel(5, 5, &none, -1.0);
  EXPECT_TRUE(e.graphics->OnKeyDown(55, 5, kKeyAlphaA + ('q' - 'a'), &none));
  EXPECT_FALSE(e.graphics->OnKeyDown(150, 50, kKeyAlphaA, &none));
  EXPECT_EQ(log, (std::vector<std::string>{"a over", "a over", "a out", "b over", "b out", "b over", "b out",
                                           "a wheel -1", "b key 31"}));
  // Without mouse-over handling nothing is tracked.
  log.clear();
  e.graphics->HandleMouseOver(false);
  e.graphics->OnMouseOver(5, 5, &none);
  EXPECT_TRUE(log.empty());
}

TEST(IGraphicsEvents, ControlsTakenOutDuringAnEventAreForgotten)
{
  Editor e;
  std::vector<std::string> log;
  auto* a = new RecordingControl(&e.plug, IRECT(0, 0, 20, 20), &log, "a");
  e.graphics->AttachControl(a);
  e.graphics->OnIdle();
  IMouseMod left(true), none;
  e.graphics->OnMouseOver(5, 5, &none);
  e.graphics->OnMouseDown(5, 5, &left);
  ASSERT_TRUE(e.graphics->DetachControl(a));
  EXPECT_EQ(e.graphics->GetMouseOverControl(), nullptr);
  e.graphics->OnMouseDrag(8, 8, &left);
  e.graphics->OnMouseUp(8, 8, &left);
  EXPECT_EQ(log, (std::vector<std::string>{"a over", "a down 5,5"}));
  // The area it covered is drawn again without it.
  IRECT region;
  EXPECT_TRUE(e.graphics->IsDirty(&region));
  EXPECT_EQ(region, IRECT(0, 0, 20, 20));
  delete a;
}

TEST(IGraphicsEvents, DoubleClicksReachTheControlUnderThePointer)
{
  Editor e;
  std::vector<std::string> log;
  auto* a = new RecordingControl(&e.plug, IRECT(0, 0, 20, 20), &log, "a", EditorTestPlug::kPercent);
  a->SetDefaultValue(0.5);
  e.graphics->AttachControl(a);
  static double now = 1000.0;
  IControl::SetClockForTesting([] { return now; });
  IMouseMod left(true);
  e.graphics->OnMouseDown(5, 5, &left);
  a->SetValue(0.9);
  now += 100.0;
  EXPECT_TRUE(e.graphics->OnMouseDblClick(5, 5, &left));
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.5);
  IControl::SetClockForTesting(nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"a down 5,5", "a dbl"}));
}

TEST(IGraphicsPrompt, RightClickOpensATextEntryThatSetsTheValue)
{
  Editor e;
  std::vector<std::string> log;
  auto* a = new RecordingControl(&e.plug, IRECT(10, 10, 50, 50), &log, "a", EditorTestPlug::kPercent);
  e.graphics->AttachControl(a);
  e.plug.GetParam(EditorTestPlug::kPercent)->Set(50.0);
  IMouseMod right(false, true);
  e.graphics->OnMouseDown(20, 20, &right);
  ASSERT_TRUE(e.graphics->IsPrompting());
  EXPECT_EQ(e.graphics->GetTextEntry()->GetString(), "50.0");
  // Over the control, wide enough for a number.
  EXPECT_GE(e.graphics->GetTextEntry()->GetRECT().W(), 64);
  // The prompt is drawn with its colours.
  e.graphics->OnIdle();
  const IRECT box = e.graphics->GetTextEntry()->GetRECT();
  EXPECT_EQ(SurfacePixel(e.graphics, box.L + 1, box.B - 2), LICE_RGBA(255, 255, 255, 255));

  for (int i = 0; i < 4; ++i)
    e.graphics->OnTextEntryKey(8);
  for (char c : std::string("25x"))
    e.graphics->OnTextEntryKey(c);
  EXPECT_EQ(e.graphics->GetTextEntry()->GetString(), "25x");
  e.graphics->OnTextEntryKey(13);
  EXPECT_FALSE(e.graphics->IsPrompting());
  EXPECT_NEAR(a->GetValue(), 0.25, 1e-12);
  EXPECT_NEAR(e.plug.GetParam(EditorTestPlug::kPercent)->Value(), 25.0, 1e-9);
  ASSERT_FALSE(e.plug.guiChanges.empty());
  EXPECT_EQ(e.plug.guiChanges.back().first, EditorTestPlug::kPercent);

  // Out of range is clamped; Escape and a non-number change nothing.
  e.graphics->PromptUserInput(a);
  for (int i = 0; i < 8; ++i)
    e.graphics->OnTextEntryKey(8);
  for (char c : std::string("500"))
    e.graphics->OnTextEntryKey(c);
  e.graphics->CommitTextEntry();
  EXPECT_DOUBLE_EQ(e.plug.GetParam(EditorTestPlug::kPercent)->Value(), 100.0);
  const size_t changes = e.plug.guiChanges.size();
  e.graphics->PromptUserInput(a);
  e.graphics->OnTextEntryKey('7');
  e.graphics->OnTextEntryKey(27);
  EXPECT_FALSE(e.graphics->IsPrompting());
  e.graphics->PromptUserInput(a);
  for (int i = 0; i < 8; ++i)
    e.graphics->OnTextEntryKey(8);
  e.graphics->OnTextEntryKey('x');
  e.graphics->OnTextEntryKey(13);
  EXPECT_EQ(e.plug.guiChanges.size(), changes);

  // A click elsewhere commits what was typed.
  e.graphics->PromptUserInput(a);
  for (int i = 0; i < 8; ++i)
    e.graphics->OnTextEntryKey(8);
  e.graphics->OnTextEntryKey('1');
  IMouseMod left(true);
  e.graphics->OnMouseDown(150, 90, &left);
  EXPECT_FALSE(e.graphics->IsPrompting());
  EXPECT_NEAR(e.plug.GetParam(EditorTestPlug::kPercent)->Value(), 1.0, 1e-9);

  // Controls without a parameter have nothing to prompt for.
  auto* unbound = new RecordingControl(&e.plug, IRECT(100, 10, 120, 30), &log, "u");
  e.graphics->AttachControl(unbound);
  e.graphics->OnMouseDown(110, 20, &right);
  EXPECT_FALSE(e.graphics->IsPrompting());
}

TEST(IGraphicsResize, NewSizeDropsControlsAndTellsHostAndPlugIn)
{
  Editor e;
  e.graphics->AttachControl(new FillControl(&e.plug, IRECT(0, 0, 10, 10), IColor()));
  e.graphics->Resize(200, 100);
  EXPECT_EQ(e.graphics->NControls(), 1);
  EXPECT_TRUE(e.plug.events.empty());
  e.graphics->Resize(300, 150);
  EXPECT_EQ(e.graphics->NControls(), 0);
  EXPECT_EQ(e.plug.events, (std::vector<std::string>{"host 300x150", "resized"}));
  EXPECT_EQ(e.graphics->GetDrawBitmap()->getWidth(), 300);
  EXPECT_EQ(e.graphics->GetDrawBitmap()->getHeight(), 150);
  std::vector<uint8_t> rgba(300 * 150 * 4);
  EXPECT_TRUE(e.graphics->Snapshot(rgba.data(), 300, 150));
}
