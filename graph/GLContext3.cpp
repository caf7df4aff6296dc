#include "graph/GLContext3.h"

#include "framework/IGraphics.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <X11/Xlib.h>

// This Pugl's header declares its C functions without extern "C", and
// defines deprecated wrappers we do not use.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
extern "C" {
#include "pugl/gl.h"
}
#pragma GCC diagnostic pop

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace
{
PuglStatus IgnoreEvent(PuglView*, const PuglEvent*) { return PUGL_SUCCESS; }
} // namespace

bool GLContext3::IsUsableGL(const char* version, const char* extensions)
{
  if (version == nullptr || extensions == nullptr)
    return false;
  int major = 0, minor = 0;
  if (std::sscanf(version, "%d.%d", &major, &minor) < 1 || major <= 1)
    return false;
  return gluCheckExtension(reinterpret_cast<const GLubyte*>("GL_EXT_framebuffer_object"),
                           reinterpret_cast<const GLubyte*>(extensions)) == GL_TRUE;
}

GLContext3::GLContext3(const char* name, IGraphics* graphics)
{
  if (name == nullptr)
    name = "";
  // Names unique per instance: several editors may be open at once.
  std::srand(static_cast<unsigned>(std::clock()));
  char buf[512];
  std::snprintf(buf, sizeof buf, "%s-c-%ld", name, static_cast<long>(std::rand()));
  mWindowClass = buf;
  std::snprintf(buf, sizeof buf, "%s-%ld", name, static_cast<long>(std::rand()));
  mTitle = buf;

  // No X display (or none reachable): no context, quietly.
  PuglWorld* world = puglNewWorld(PUGL_MODULE, 0);
  if (world == nullptr)
    return;
  puglSetClassName(world, mWindowClass.c_str());
  PuglView* view = puglNewView(world);
  if (view == nullptr)
  {
    puglFreeWorld(world);
    return;
  }
  mWorld = world;
  mView = view;

  puglSetBackend(view, puglGlBackend());
  puglSetSizeHint(view, PUGL_DEFAULT_SIZE, 1, 1);
  puglSetSizeHint(view, PUGL_MIN_SIZE, 1, 1);
  puglSetViewHint(view, PUGL_CONTEXT_VERSION_MAJOR, 2);
  puglSetViewHint(view, PUGL_USE_COMPAT_PROFILE, PUGL_TRUE);
  puglSetViewHint(view, PUGL_DOUBLE_BUFFER, PUGL_FALSE);
  puglSetViewHint(view, PUGL_STENCIL_BITS, 8);
  puglSetWindowTitle(view, mTitle.c_str());
  puglSetEventFunc(view, IgnoreEvent);
  if (graphics != nullptr && graphics->GetWindow() != 0)
    puglSetParentWindow(view, static_cast<PuglNativeView>(graphics->GetWindow()));

  if (puglRealize(view) != PUGL_SUCCESS)
  {
    Destroy();
    return;
  }
  // The view is never shown and wants no input: nothing piles up in the
  // event queue of a world whose events nobody dispatches.
  Display* display = static_cast<Display*>(puglGetNativeWorld(world));
  XSelectInput(display, static_cast<Window>(puglGetNativeView(view)), NoEventMask);
  XFlush(display);

  if (puglEnterContext(view) != PUGL_SUCCESS)
  {
    Destroy();
    return;
  }
  bool usable = glewInit() == GLEW_OK;
  glGetError();
  if (usable)
    usable = IsUsableGL(reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                        reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
  // Released right away: the first Bind may come from another thread.
  glFlush();
  puglLeaveContext(view);
  if (!usable)
    Destroy();
}

GLContext3::~GLContext3() { Destroy(); }

void GLContext3::Destroy()
{
  // Views first: the world owns the display connection.
  if (mView != nullptr)
    puglFreeView(mView);
  if (mWorld != nullptr)
    puglFreeWorld(mWorld);
  mView = nullptr;
  mWorld = nullptr;
}

bool GLContext3::Bind()
{
  if (mView == nullptr)
    return false;
  mBindMutex.lock();
  if (mBindDepth == 0)
  {
    if (puglEnterContext(mView) != PUGL_SUCCESS)
    {
      mBindMutex.unlock();
      return false;
    }
    mOwner = std::this_thread::get_id();
  }
  ++mBindDepth;
  return true;
}

void GLContext3::Unbind()
{
  if (mView == nullptr)
    return;
  // Only the thread holding the context may end its binding; an unmatched
  // Unbind does nothing.
  if (!mBindMutex.try_lock())
    return;
  const bool owned = mBindDepth > 0 && mOwner == std::this_thread::get_id();
  mBindMutex.unlock();
  if (!owned)
    return;
  if (--mBindDepth == 0)
  {
    // Flush, then release: the context is not left current on this thread,
    // so the host may render from another thread next time.
    glFlush();
    puglLeaveContext(mView);
    mOwner = std::thread::id();
  }
  mBindMutex.unlock();
}
