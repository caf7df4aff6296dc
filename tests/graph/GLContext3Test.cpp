// The graph's GL context: what it accepts, its names, life without a
// display, as a child of an editor window, and use from another thread.
#include "graph/GLContext3.h"

#include "framework/IGraphics.h"
#include "tests/support/FakePlug.h"
#include "tests/support/NeedsDisplay.h"
#include "tests/support/ScopedNoDisplay.h"

#include <gtest/gtest.h>

#include <GL/glew.h>
// After gtest: Xlib's macros (None, Bool) would break its headers.
#include <X11/Xlib.h>

#include <regex>
#include <thread>

namespace
{
// An editor surface whose native window is a given X11 window.
class WindowedGraphics : public IGraphics
{
public:
  WindowedGraphics(IPlugBase* plug, uintptr_t window) : IGraphics(plug, 200, 100) { mWindow = window; }
};
} // namespace

TEST(GLContext3Test, AcceptsOpenGL2WithFramebufferObjectsOnly)
{
  const char* ext = "GL_ARB_multitexture GL_EXT_framebuffer_object GL_ARB_texture_rg";
  EXPECT_TRUE(GLContext3::IsUsableGL("2.1 Mesa 22.3.6", ext));
  EXPECT_TRUE(GLContext3::IsUsableGL("4.5 (Compatibility Profile) Mesa 22.3.6", ext));
  EXPECT_FALSE(GLContext3::IsUsableGL("1.5 Mesa", ext));
  EXPECT_FALSE(GLContext3::IsUsableGL("2.1 Mesa", "GL_ARB_multitexture GL_EXT_framebuffer_blit"));
  // Whole names only.
  EXPECT_FALSE(GLContext3::IsUsableGL("2.1", "GL_EXT_framebuffer_object_extra"));
  EXPECT_FALSE(GLContext3::IsUsableGL("Mesa", ext));
  EXPECT_FALSE(GLContext3::IsUsableGL(nullptr, ext));
  EXPECT_FALSE(GLContext3::IsUsableGL("2.1", nullptr));
}

TEST(GLContext3Test, WithoutDisplayHasNoContextAndDoesNothing)
{
  ScopedNoDisplay noDisplay;
  GLContext3 context("QX-Crest", nullptr);
  EXPECT_FALSE(context.IsValid());
  EXPECT_FALSE(context.Bind());
  context.Unbind();
  // The names are made all the same.
  EXPECT_TRUE(std::regex_match(context.GetWindowClass(), std::regex("QX-Crest-c-[0-9]+")))
    << context.GetWindowClass();
  EXPECT_TRUE(std::regex_match(context.GetTitle(), std::regex("QX-Crest-[0-9]+"))) << context.GetTitle();
}

TEST(GLContext3Test, BecomesAChildOfTheEditorWindow)
{
  Display* display = XOpenDisplay(nullptr);
  ASSERT_HAS_DISPLAY(display != nullptr);
  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
  XSync(display, False);
  {
    FakePlug plug;
    WindowedGraphics graphics(&plug, parent);
    GLContext3 context("QX-Crest", &graphics);
    if (!context.IsValid())
    {
      XDestroyWindow(display, parent);
      XCloseDisplay(display);
    }
    ASSERT_HAS_GL(context.IsValid());
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned numChildren = 0;
    XQueryTree(display, parent, &root, &up, &children, &numChildren);
    EXPECT_EQ(numChildren, 1u);
    if (children)
      XFree(children);
    ASSERT_TRUE(context.Bind());
    EXPECT_NE(glGetString(GL_VERSION), nullptr);
    context.Unbind();
  }
  // Destroying the context removes its view from the editor window.
  Window root = 0, up = 0;
  Window* children = nullptr;
  unsigned numChildren = 0;
  XSync(display, False);
  XQueryTree(display, parent, &root, &up, &children, &numChildren);
  EXPECT_EQ(numChildren, 0u);
  if (children)
    XFree(children);
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
}

TEST(GLContext3Test, BindsOnAnotherThreadAndNests)
{
  GLContext3 context("QX-Crest", nullptr);
  ASSERT_HAS_GL(context.IsValid());

  ASSERT_TRUE(context.Bind());
  ASSERT_TRUE(context.Bind());
  context.Unbind();
  // Still bound after the inner Unbind.
  EXPECT_NE(glGetString(GL_VERSION), nullptr);
  context.Unbind();

  bool boundThere = false;
  bool versionThere = false;
  std::thread render([&] {
    boundThere = context.Bind();
    versionThere = glGetString(GL_VERSION) != nullptr;
    if (boundThere)
      context.Unbind();
  });
  render.join();
  EXPECT_TRUE(boundThere);
  EXPECT_TRUE(versionThere);

  // Released there, so this thread may take it back.
  ASSERT_TRUE(context.Bind());
  context.Unbind();
  // An Unbind from a thread that holds nothing changes nothing.
  std::thread stray([&] { context.Unbind(); });
  stray.join();
  EXPECT_TRUE(context.Bind());
  context.Unbind();
}
