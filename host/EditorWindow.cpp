#include "EditorWindow.h"

#include "HostError.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

std::unique_ptr<EditorWindow> EditorWindow::connect()
{
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    return nullptr;
  return std::unique_ptr<EditorWindow>(new EditorWindow(display));
}

EditorWindow::EditorWindow(Display* display) : mDisplay(display) {}

EditorWindow::~EditorWindow()
{
  if (mWindow)
    XDestroyWindow(mDisplay, mWindow);
  XCloseDisplay(mDisplay);
}

void EditorWindow::create(int width, int height, bool mapped, const std::string& title)
{
  if (width <= 0 || height <= 0)
    throw HostError("the editor reports a size of " + std::to_string(width) + " x " + std::to_string(height));
  const int screen = DefaultScreen(mDisplay);
  mWindow = XCreateSimpleWindow(mDisplay, RootWindow(mDisplay, screen), 0, 0, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, BlackPixel(mDisplay, screen),
                                BlackPixel(mDisplay, screen));
  mWidth = width;
  mHeight = height;
  XSelectInput(mDisplay, mWindow, StructureNotifyMask);
  if (mapped)
  {
    XStoreName(mDisplay, mWindow, title.c_str());
    mDeleteAtom = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
    Atom protocols[] = {mDeleteAtom};
    XSetWMProtocols(mDisplay, mWindow, protocols, 1);
    setFixedSize(width, height);
    XMapWindow(mDisplay, mWindow);
  }
  XSync(mDisplay, False);
}

void EditorWindow::setFixedSize(int width, int height)
{
  // The editor only knows its own three sizes, so the user may not drag others.
  XSizeHints* hints = XAllocSizeHints();
  if (!hints)
    return;
  hints->flags = PMinSize | PMaxSize;
  hints->min_width = hints->max_width = width;
  hints->min_height = hints->max_height = height;
  XSetWMNormalHints(mDisplay, mWindow, hints);
  XFree(hints);
}

void EditorWindow::resize(int width, int height)
{
  if (!mWindow || width <= 0 || height <= 0 || (width == mWidth && height == mHeight))
    return;
  if (mDeleteAtom)
    setFixedSize(width, height);
  XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(width), static_cast<unsigned>(height));
  mWidth = width;
  mHeight = height;
  XFlush(mDisplay);
}

bool EditorWindow::processEvents(int timeoutMs)
{
  if (XPending(mDisplay) == 0 && timeoutMs > 0)
  {
    pollfd fd{ConnectionNumber(mDisplay), POLLIN, 0};
    poll(&fd, 1, timeoutMs);
  }
  while (!mClosed && XPending(mDisplay) > 0)
  {
    XEvent event;
    XNextEvent(mDisplay, &event);
    if (event.xany.window != mWindow)
      continue;
    switch (event.type)
    {
      case ClientMessage:
        if (static_cast<unsigned long>(event.xclient.data.l[0]) == mDeleteAtom)
          mClosed = true;
        break;
      case DestroyNotify:
        mWindow = 0;
        mClosed = true;
        break;
      case ConfigureNotify:
        mWidth = event.xconfigure.width;
        mHeight = event.xconfigure.height;
        break;
      default:
        break;
    }
  }
  return !mClosed;
}

void EditorWindow::flush() { XFlush(mDisplay); }
