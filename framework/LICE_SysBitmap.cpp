#include "framework/LICE_SysBitmap.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace
{
int MaskShift(unsigned long mask)
{
  int shift = 0;
  while (mask && !(mask & 1ul))
  {
    mask >>= 1;
    ++shift;
  }
  return shift;
}
} // namespace

LICE_SysBitmap::LICE_SysBitmap(int w, int h) { resize(w, h); }

LICE_SysBitmap::~LICE_SysBitmap() { ReleaseWindowResources(); }

bool LICE_SysBitmap::resize(int w, int h)
{
  if (w < 0 || h < 0)
    return false;
  if (w == mWidth && h == mHeight)
    return true;
  // The X image points into the pixels; it is made again at the next show.
  if (mImage)
  {
    XImage* image = static_cast<XImage*>(mImage);
    image->data = nullptr;
    XDestroyImage(image);
    mImage = nullptr;
  }
  mBits.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  mWidth = w;
  mHeight = h;
  return true;
}

void LICE_SysBitmap::ReleaseWindowResources()
{
  if (mImage)
  {
    XImage* image = static_cast<XImage*>(mImage);
    image->data = nullptr; // our pixels, not Xlib's
    XDestroyImage(image);
    mImage = nullptr;
  }
  if (mGC && mDisplay)
    XFreeGC(static_cast<Display*>(mDisplay), static_cast<GC>(mGC));
  mGC = nullptr;
  mDisplay = nullptr;
  mWindow = 0;
}

bool LICE_SysBitmap::PrepareImage(void* displayPtr, unsigned long window)
{
  if (displayPtr != mDisplay || window != mWindow)
    ReleaseWindowResources();
  if (mImage)
    return true;

  Display* display = static_cast<Display*>(displayPtr);
  XWindowAttributes attrs;
  if (!XGetWindowAttributes(display, window, &attrs) || attrs.depth < 24)
    return false;
  Visual* visual = attrs.visual;

  if (!mGC)
    mGC = XCreateGC(display, window, 0, nullptr);
  mDisplay = displayPtr;
  mWindow = window;

  mSameLayout = visual->red_mask == 0xff0000ul && visual->green_mask == 0x00ff00ul && visual->blue_mask == 0x0000fful;
  mShift[0] = MaskShift(visual->red_mask);
  mShift[1] = MaskShift(visual->green_mask);
  mShift[2] = MaskShift(visual->blue_mask);
  if (!mSameLayout)
    mConverted.assign(mBits.size(), 0);

  char* data = reinterpret_cast<char*>(mSameLayout ? mBits.data() : mConverted.data());
  XImage* image = XCreateImage(display, visual, static_cast<unsigned>(attrs.depth), ZPixmap, 0, data,
                               static_cast<unsigned>(mWidth), static_cast<unsigned>(mHeight), 32, mWidth * 4);
  if (!image)
    return false;
  if (image->bits_per_pixel != 32)
  {
    image->data = nullptr;
    XDestroyImage(image);
    return false;
  }
  // Our pixels are 32-bit words in the machine's order; Xlib swaps bytes
  // for a server of the other order.
  const uint32_t probe = 1;
  image->byte_order = *reinterpret_cast<const uint8_t*>(&probe) == 1 ? LSBFirst : MSBFirst;
  mImage = image;
  return true;
}

bool LICE_SysBitmap::ShowOnWindow(void* display, unsigned long window, const IRECT& region)
{
  if (!display || !window || mBits.empty())
    return false;
  const int l = std::max(region.L, 0), t = std::max(region.T, 0);
  const int r = std::min(region.R, mWidth), b = std::min(region.B, mHeight);
  if (l >= r || t >= b)
    return false;
  if (!PrepareImage(display, window))
    return false;

  if (!mSameLayout)
  {
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x)
      {
        const uint32_t p = mBits[static_cast<size_t>(y) * mWidth + x];
        mConverted[static_cast<size_t>(y) * mWidth + x] = ((p >> 16 & 0xffu) << mShift[0]) |
                                                          ((p >> 8 & 0xffu) << mShift[1]) |
                                                          ((p & 0xffu) << mShift[2]);
      }
  }
  Display* d = static_cast<Display*>(display);
  XPutImage(d, window, static_cast<GC>(mGC), static_cast<XImage*>(mImage), l, t, l, t, static_cast<unsigned>(r - l),
            static_cast<unsigned>(b - t));
  // Wait until the server has drawn it: a host reading the window back on
  // its own connection must see this picture, not the one before.
  XSync(d, False);
  return true;
}
