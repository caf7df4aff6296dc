// The editor's X11 window: opening inside a parent, showing the drawing
// surface, and the road of real window-system events to the controls.
#include "framework/IControl.h"
#include "framework/IGraphics.h"
#include "framework/IGraphicsWindow.h"
#include "framework/IKeyCodes.h"
#include "framework/PlugDescription.h"
#include "plugin/Crest.h"
#include "tests/framework/EditorTestPlug.h"
#include "tests/support/NeedsDisplay.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) would clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "tests/support/XEvents.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace
{
class Recorder : public IControl
{
public:
  Recorder(IPlugBase* plug, IRECT r, IColor c) : IControl(plug, r), colour(c) {}
  bool Draw(IGraphics* g) override { return g->FillIRect(&colour, &mRECT); }
  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    log.push_back(std::string("down") + (mod->R ? " R" : "") + (mod->S ? " S" : "") + " " + std::to_string(x) + "," +
                  std::to_string(y));
  }
  void OnMouseUp(int, int, IMouseMod*) override { log.push_back("up"); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override
  {
    log.push_back("drag " + std::to_string(dX) + "," + std::to_string(dY));
  }
  bool OnMouseDblClick(int, int, IMouseMod*) override
  {
    log.push_back("dbl");
    return true;
  }
  void OnMouseWheel(int, int, IMouseMod*, double d) override
  {
    log.push_back("wheel " + std::to_string(static_cast<int>(d)));
  }
  bool OnKeyDown(int, int, int key, IMouseMod*) override
  {
    log.push_back("key " + std::to_string(key));
    return false;
  }
  IColor colour;
  std::vector<std::string> log;
};

// A parent window like the host's, on a connection of its own.
struct HostWindow
{
  HostWindow(int w, int h, bool mapped)
  {
    display = static_cast<Display*>(OpenTestDisplay());
    if (!display)
      return;
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(w),
                                 static_cast<unsigned>(h), 0, 0, 0);
    if (mapped)
      XMapWindow(display, window);
    XSync(display, False);
  }
  ~HostWindow()
  {
    if (!display)
      return;
    XDestroyWindow(display, window);
    XCloseDisplay(display);
  }
  Display* display = nullptr;
  Window window = 0;
};

// Lets the editor handle what the server delivered.
void Pump(IGraphics* g)
{
  for (int i = 0; i < 5; ++i)
  {
    g->OnIdle();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
} // namespace

TEST(IGraphicsWindow, OpensInsideTheHostWindowAndShowsTheSurface)
{
  ASSERT_HAS_DISPLAY(HaveDisplay());
  HostWindow host(120, 80, true);
  ASSERT_NE(host.display, nullptr);
  EditorTestPlug plug;
  auto* g = new IGraphics(&plug, 120, 80);
  plug.AttachGraphics(g);
  g->AttachControl(new Recorder(&plug, IRECT(0, 0, 60, 80), IColor(255, 255, 0, 0)));
  g->AttachControl(new Recorder(&plug, IRECT(60, 0, 120, 80), IColor(255, 0, 0, 255)));
  PlugDescription desc = GetPlugDescription();
  desc.windowClass = "Described-Editor";
  g->Describe(desc);
  ASSERT_TRUE(g->OpenWindow(host.window));
  ASSERT_NE(g->GetWindow(), 0u);
  EXPECT_TRUE(g->OpenWindow(host.window)); // once is enough

  XClassHint hint{};
  ASSERT_NE(XGetClassHint(host.display, static_cast<Window>(g->GetWindow()), &hint), 0);
  EXPECT_STREQ(hint.res_class, "Described-Editor");
  XFree(hint.res_name);
  XFree(hint.res_class);

  Window root, parent, *children = nullptr;
  unsigned n = 0;
  XQueryTree(host.display, static_cast<Window>(g->GetWindow()), &root, &parent, &children, &n);
  if (children)
    XFree(children);
  EXPECT_EQ(parent, host.window);

  // What the window shows is the drawn surface.
  Pump(g);
  XImage* image = nullptr;
  for (int tries = 0; tries < 50 && !image; ++tries)
  {
    XWindowAttributes attrs;
    XGetWindowAttributes(host.display, static_cast<Window>(g->GetWindow()), &attrs);
    if (attrs.map_state == IsViewable)
      image = XGetImage(host.display, static_cast<Window>(g->GetWindow()), 0, 0, 120, 80, AllPlanes, ZPixmap);
    else
      Pump(g);
  }
  ASSERT_NE(image, nullptr);
  // The server maps and exposes the window in its own time (and clears it
  // on exposure), so look again until the surface has been shown on it.
  unsigned long left = 0, right = 0;
  for (int tries = 0; tries < 50; ++tries)
  {
    g->OnWindowExposed(IRECT(0, 0, 120, 80));
    XDestroyImage(image);
    image = XGetImage(host.display, static_cast<Window>(g->GetWindow()), 0, 0, 120, 80, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    left = XGetPixel(image, 30, 40), right = XGetPixel(image, 90, 40);
    if ((left & image->red_mask) == image->red_mask)
      break;
    Pump(g);
  }
  EXPECT_EQ(left & image->red_mask, image->red_mask);
  EXPECT_EQ(left & image->blue_mask, 0ul);
  EXPECT_EQ(right & image->blue_mask, image->blue_mask);
  EXPECT_EQ(right & image->red_mask, 0ul);
  XDestroyImage(image);

  // A new size reaches the window.
  g->Resize(150, 90);
  Pump(g);
  XWindowAttributes attrs;
  XGetWindowAttributes(host.display, static_cast<Window>(g->GetWindow()), &attrs);
  EXPECT_EQ(attrs.width, 150);
  EXPECT_EQ(attrs.height, 90);

  g->CloseWindow();
  EXPECT_EQ(g->GetWindow(), 0u);
  EXPECT_FALSE(g->IsWindowOpen());
}

TEST(IGraphicsWindow, SnapshotWorksWithAnUnmappedParent)
{
  ASSERT_HAS_DISPLAY(HaveDisplay());
  HostWindow host(64, 32, false); // outlives the editor, as in a host
  ASSERT_NE(host.display, nullptr);
  EditorTestPlug plug;
  auto* g = new IGraphics(&plug, 64, 32);
  plug.AttachGraphics(g);
  g->AttachControl(new Recorder(&plug, IRECT(0, 0, 64, 32), IColor(255, 0, 200, 0)));
  ASSERT_TRUE(g->OpenWindow(host.window));
  std::vector<uint8_t> rgba(64 * 32 * 4);
  ASSERT_TRUE(g->Snapshot(rgba.data(), 64, 32));
  EXPECT_EQ(rgba[0], 0);
  EXPECT_EQ(rgba[1], 200);
  EXPECT_EQ(rgba[2], 0);
}

TEST(IGraphicsWindow, TheSurfaceIsMadeWhenTheWindowOpens)
{
  ASSERT_HAS_DISPLAY(HaveDisplay());
  HostWindow host(64, 32, true);
  ASSERT_NE(host.display, nullptr);
  EditorTestPlug plug;
  auto* g = new IGraphics(&plug, 64, 32);
  plug.AttachGraphics(g);
  g->AttachControl(new Recorder(&plug, IRECT(8, 4, 40, 20), IColor(255, 0, 200, 0)));
  EXPECT_FALSE(g->HasDrawSurface()) << "an editor never opened holds no surface";
  ASSERT_TRUE(g->OpenWindow(host.window));
  EXPECT_TRUE(g->HasDrawSurface());
  std::vector<uint8_t> before(64 * 32 * 4), after(64 * 32 * 4, 7);
  ASSERT_TRUE(g->Snapshot(before.data(), 64, 32));
  g->CloseWindow();
  ASSERT_TRUE(g->OpenWindow(host.window));
  ASSERT_TRUE(g->Snapshot(after.data(), 64, 32));
  EXPECT_EQ(after, before);
  EXPECT_EQ(before[(10 * 64 + 20) * 4 + 1], 200);
}

TEST(IGraphicsWindow, WindowEventsReachTheControls)
{
  ASSERT_HAS_DISPLAY(HaveDisplay());
  HostWindow host(100, 100, true);
  ASSERT_NE(host.display, nullptr);
  EditorTestPlug plug;
  auto* g = new IGraphics(&plug, 100, 100);
  g->HandleMouseOver(true);
  plug.AttachGraphics(g);
  auto* rec = new Recorder(&plug, IRECT(0, 0, 100, 100), IColor(255, 0, 0, 0));
  g->AttachControl(rec);
  ASSERT_TRUE(g->OpenWindow(host.window));
  Pump(g);
  Display* d = host.display;
  const Window w = static_cast<Window>(g->GetWindow());

  // Press, drag up by 10, release.
  Send(d, w, Button(ButtonPress, w, 20, 30, Button1, 1000));
  Send(d, w, Motion(w, 20, 20, 1010, Button1Mask));
  Send(d, w, Button(ButtonRelease, w, 20, 20, Button1, 1020));
  // A second press soon after and near by: a double click.
  Send(d, w, Button(ButtonPress, w, 21, 29, Button1, 1200));
  Send(d, w, Button(ButtonRelease, w, 21, 29, Button1, 1210));
  // A third press is a plain click again; a late one and a distant one too.
  Send(d, w, Button(ButtonPress, w, 21, 29, Button1, 1300));
  Send(d, w, Button(ButtonRelease, w, 21, 29, Button1, 1310));
  Send(d, w, Button(ButtonPress, w, 21, 21, Button1, 1400));
  Send(d, w, Button(ButtonRelease, w, 21, 21, Button1, 1410));
  Send(d, w, Button(ButtonPress, w, 21, 21, Button1, 3000));
  Send(d, w, Button(ButtonRelease, w, 21, 21, Button1, 3010));
  // Right click with Shift; wheel up.
  Send(d, w, Button(ButtonPress, w, 5, 6, Button3, 5000, ShiftMask));
  Send(d, w, Button(ButtonRelease, w, 5, 6, Button3, 5010));
  Send(d, w, Button(ButtonPress, w, 5, 6, Button4, 6000));
  // The letter q: key code 15 + 16.
  XEvent key{};
  key.type = KeyPress;
  key.xkey.keycode = XKeysymToKeycode(d, XK_q);
  key.xkey.x = 10;
  key.xkey.y = 10;
  key.xkey.time = 7000;
  key.xkey.same_screen = True;
  Send(d, w, key);
  Pump(g);

  EXPECT_EQ(rec->log, (std::vector<std::string>{"down 20,30", "drag 0,-10", "up", "dbl", "up", "down 21,29", "up",
                                                "down 21,21", "up", "down 21,21", "up", "down R S 5,6", "up",
                                                "wheel 1", "key " + std::to_string(kKeyAlphaA + 16)}));
}

TEST(IGraphicsWindow, SurvivesAParentDestroyedBeforeTheEditorCloses)
{
  ASSERT_HAS_DISPLAY(HaveDisplay());
  EditorTestPlug plug;
  auto* g = new IGraphics(&plug, 40, 40);
  plug.AttachGraphics(g);
  {
    HostWindow host(40, 40, true);
    ASSERT_NE(host.display, nullptr);
    ASSERT_TRUE(g->OpenWindow(host.window));
    g->OnIdle();
  }
  g->CloseWindow(); // would end the process through Xlib's error handler
  EXPECT_FALSE(g->IsWindowOpen());
}

// The hostile-host sequences run in a child process with Xlib's default
// error handler, which ends the process on any X error: the child reaching
// its end is the proof that none of ours got through. Exit codes name the
// step that went wrong.
namespace
{
int gHostErrors = 0;
int CountHostError(Display*, XErrorEvent*)
{
  ++gHostErrors;
  return 0;
}
} // namespace

TEST(IGraphicsWindow, HostEditorRefusesParentsThatAreNoWindows)
{
  ASSERT_TRUE(HaveDisplay()) << "these sequences need an X display";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
    {
      XSetErrorHandler(nullptr);
      TestHost host;
      auto* f = host.Factory();
      for (uintptr_t parent : {uintptr_t{0x12345678}, uintptr_t{1}, uintptr_t{0x7fffffff}, ~uintptr_t{0}})
      {
        if (f->editorOpen(host.Effect(), parent) != ACF_ERROR_INVALID_ARGUMENT)
          std::exit(2);
        if (host.Plug()->GetGUI()->IsWindowOpen() || f->editorIdle(host.Effect()) != ACF_SUCCESS)
          std::exit(3);
      }
      // A host with a handler of its own keeps it, and sees none of our errors.
      XSetErrorHandler(&CountHostError);
      if (f->editorOpen(host.Effect(), 0x12345678) != ACF_ERROR_INVALID_ARGUMENT || gHostErrors != 0)
        std::exit(4);
      if (XSetErrorHandler(&CountHostError) != &CountHostError)
        std::exit(5);
      // The host's own errors still reach it.
      HostWindow parent(64, 48, true);
      XWindowAttributes attrs;
      XGetWindowAttributes(parent.display, 0x12345678, &attrs);
      if (gHostErrors != 1)
        std::exit(6);
      // And a real parent still works afterwards.
      if (f->editorOpen(host.Effect(), parent.window) != ACF_SUCCESS || f->editorIdle(host.Effect()) != ACF_SUCCESS ||
          f->editorClose(host.Effect()) != ACF_SUCCESS)
        std::exit(7);
      std::exit(0);
    },
    ::testing::ExitedWithCode(0), "");
}

TEST(IGraphicsWindow, HostEditorClosesItselfWhenTheParentIsDestroyedFirst)
{
  ASSERT_TRUE(HaveDisplay()) << "these sequences need an X display";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
    {
      XSetErrorHandler(nullptr);
      TestHost host;
      auto* f = host.Factory();
      auto* parent = new HostWindow(800, 555, true);
      if (f->editorOpen(host.Effect(), parent->window) != ACF_SUCCESS)
        std::exit(2);
      for (int i = 0; i < 3; ++i)
        f->editorIdle(host.Effect());
      XDestroyWindow(parent->display, parent->window);
      XSync(parent->display, False);
      parent->window = 0;
      host.Update("2", 0.9);
      for (int i = 0; i < 3; ++i)
        if (f->editorIdle(host.Effect()) != ACF_SUCCESS)
          std::exit(3);
      if (host.Plug()->GetGUI()->IsWindowOpen())
        std::exit(4);
      if (f->editorClose(host.Effect()) != ACF_SUCCESS)
        std::exit(5);
      XCloseDisplay(parent->display);
      parent->display = nullptr;
      delete parent;
      std::exit(0);
    },
    ::testing::ExitedWithCode(0), "");
}
