#include "tests/support/PrivateDisplay.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <stdexcept>

PrivateDisplay::PrivateDisplay(const std::string& log)
{
  // Xvfb picks the number itself and writes it to descriptor 3 once it serves.
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  // Above 3, so that handing it over as 3 clears close-on-exec.
  const int high = fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
  ::close(fds[1]);
  fds[1] = high;
  ChildProcess::Options options;
  options.environment = {"LD_PRELOAD"}; // a sanitizer's preloads are not for the X server
  options.log = log;
  options.passFd = fds[1];
  try
  {
    mServer = std::make_unique<ChildProcess>(std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen", "0",
                                                                      "1280x1024x24", "-nolisten", "tcp", "-noreset"},
                                             options);
  }
  catch (...)
  {
    ::close(fds[0]);
    ::close(fds[1]);
    throw;
  }
  ::close(fds[1]);
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  char c = 0;
  while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
    number += c;
  ::close(fds[0]);
  mName = ":" + number;
  mDisplay = number.empty() ? nullptr : XOpenDisplay(mName.c_str());
  if (!mDisplay)
    throw std::runtime_error("Xvfb did not come up (see " + log + ")");
}

PrivateDisplay::~PrivateDisplay()
{
  if (mDisplay)
    XCloseDisplay(mDisplay);
}

PrivateDisplay::Window PrivateDisplay::findWindow(const std::string& prefix)
{
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(mDisplay, DefaultRootWindow(mDisplay), &root, &parent, &children, &count))
    return 0;
  for (unsigned i = 0; i < count && !found; ++i)
  {
    char* title = nullptr;
    if (XFetchName(mDisplay, children[i], &title) && title)
    {
      if (std::string(title).rfind(prefix, 0) == 0)
        found = children[i];
      XFree(title);
    }
  }
  if (children)
    XFree(children);
  return found;
}

std::vector<uint32_t> PrivateDisplay::picture(Window window, int& width, int& height)
{
  XWindowAttributes a{};
  width = height = 0;
  if (!XGetWindowAttributes(mDisplay, window, &a))
    return {};
  // The screen's pixels where the window is: what a screenshot of the root shows.
  XImage* image = XGetImage(mDisplay, DefaultRootWindow(mDisplay), a.x, a.y, static_cast<unsigned>(a.width),
                            static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
  if (!image)
    return {};
  width = a.width;
  height = a.height;
  std::vector<uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<std::size_t>(y) * width + x] = static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF);
  XDestroyImage(image);
  return pixels;
}

void PrivateDisplay::close(Window window)
{
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(mDisplay, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(mDisplay, "WM_DELETE_WINDOW", False));
  XSendEvent(mDisplay, window, False, NoEventMask, &e);
  XFlush(mDisplay);
}
