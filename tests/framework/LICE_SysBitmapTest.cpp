// The drawing surface shown on an X window: through shared memory where the
// server offers it, with XPutImage where it is turned off, and the same
// picture on the window either way.
#include "framework/LICE_SysBitmap.h"
#include "tests/framework/EditorTestPlug.h"
#include "tests/support/NeedsDisplay.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) would clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <vector>

namespace
{
constexpr int kW = 64, kH = 40;

// A pattern in which every pixel differs from its neighbours.
LICE_pixel Pattern(int x, int y, int salt)
{
  return 0xff000000u | static_cast<LICE_pixel>((x * 4 + salt) & 255) << 16 |
         static_cast<LICE_pixel>((y * 6 + salt) & 255) << 8 | static_cast<LICE_pixel>((x * y + salt) & 255);
}

// The window's pixels as 0xRRGGBB.
std::vector<uint32_t> WindowPixels(Display* display, Window window)
{
  std::vector<uint32_t> out;
  XImage* image = XGetImage(display, window, 0, 0, kW, kH, AllPlanes, ZPixmap);
  if (!image)
    return out;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y) & 0xffffffu));
  XDestroyImage(image);
  return out;
}

void Fill(LICE_SysBitmap& bitmap, int salt)
{
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      bitmap.getBits()[y * kW + x] = Pattern(x, y, salt);
}
} // namespace

TEST(LICE_SysBitmap, ShowsTheSamePictureThroughSharedMemoryOrPutImage)
{
  ASSERT_HAS_DISPLAY(HaveDisplay());
  Display* display = static_cast<Display*>(OpenTestDisplay());
  ASSERT_NE(display, nullptr);
  XSetWindowAttributes attrs{};
  attrs.override_redirect = True; // mapped at once, no window manager
  const int screen = DefaultScreen(display);
  const Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, kW, kH, 0, CopyFromParent,
                                      InputOutput, CopyFromParent, CWOverrideRedirect, &attrs);
  XMapRaised(display, window);
  XSync(display, False);

  for (const bool shared : {true, false})
  {
    SCOPED_TRACE(shared ? "shared memory" : "XPutImage");
    LICE_SysBitmap bitmap(kW, kH);
    bitmap.SetUseSharedMemory(shared);
    Fill(bitmap, shared ? 1 : 2);
    ASSERT_TRUE(bitmap.ShowOnWindow(display, window, IRECT(0, 0, kW, kH)));
    // The test server runs on this machine: it takes the shared segment.
    EXPECT_EQ(bitmap.IsShared(), shared);

    std::vector<uint32_t> expected;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        expected.push_back(Pattern(x, y, shared ? 1 : 2) & 0xffffffu);
    EXPECT_EQ(WindowPixels(display, window), expected);

    // Drawn again and only a part shown: the window takes that part alone.
    Fill(bitmap, 7);
    ASSERT_TRUE(bitmap.ShowOnWindow(display, window, IRECT(8, 4, 24, 20)));
    for (int y = 4; y < 20; ++y)
      for (int x = 8; x < 24; ++x)
        expected[static_cast<size_t>(y) * kW + x] = Pattern(x, y, 7) & 0xffffffu;
    EXPECT_EQ(WindowPixels(display, window), expected);

    // The picture outlives what was made for the window.
    bitmap.ReleaseWindowResources();
    EXPECT_FALSE(bitmap.IsShared());
    ASSERT_NE(bitmap.getBits(), nullptr);
    EXPECT_EQ(bitmap.getBits()[5 * kW + 9], Pattern(9, 5, 7));
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
}
