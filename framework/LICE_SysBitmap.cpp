#include "framework/LICE_SysBitmap.h"

#include "framework/XErrorTrap.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

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
  ReleaseImage();
  mBits.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  mWidth = w;
  mHeight = h;
  return true;
}

void LICE_SysBitmap::ReleaseImage()
{
  if (!mImage)
    return;
  XImage* image = static_cast<XImage*>(mImage);
  if (mShared)
  {
    // The picture stays: back into our own memory before the segment goes.
    std::memcpy(mBits.data(), mShared, mBits.size() * sizeof(LICE_pixel));
    auto* info = static_cast<XShmSegmentInfo*>(mShmInfo);
    Display* display = static_cast<Display*>(mDisplay);
    {
      // A server that lost the segment already must not end the host.
      XErrorTrap trap(display);
      XShmDetach(display, info);
      trap.Failed();
    }
    shmdt(info->shmaddr);
    delete info;
    mShmInfo = nullptr;
    mShared = nullptr;
  }
  image->data = nullptr; // our pixels, not Xlib's
  XDestroyImage(image);
  mImage = nullptr;
}

bool LICE_SysBitmap::ShareWithServer(void* displayPtr, void* visualPtr, int depth)
{
  Display* display = static_cast<Display*>(displayPtr);
  if (!mUseShared || mBits.empty() || !XShmQueryExtension(display))
    return false;
  auto* info = new XShmSegmentInfo();
  XImage* image = XShmCreateImage(display, static_cast<Visual*>(visualPtr), static_cast<unsigned>(depth), ZPixmap,
                                  nullptr, info, static_cast<unsigned>(mWidth), static_cast<unsigned>(mHeight));
  const size_t bytes = mBits.size() * sizeof(LICE_pixel);
  bool attached = false;
  if (image && image->bits_per_pixel == 32 && image->bytes_per_line == mWidth * 4)
  {
    info->shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* address = info->shmid >= 0 ? shmat(info->shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (address != reinterpret_cast<void*>(-1))
    {
      info->shmaddr = static_cast<char*>(address);
      info->readOnly = True;
      // A server on another machine (or one that refuses) fails the attach.
      XErrorTrap trap(display);
      attached = XShmAttach(display, info) && !trap.Failed();
      if (!attached)
        shmdt(address);
    }
    // Both sides attached (or given up): the segment goes with the last detach.
    if (info->shmid >= 0)
      shmctl(info->shmid, IPC_RMID, nullptr);
  }
  if (!attached)
  {
    if (image)
    {
      image->data = nullptr;
      XDestroyImage(image);
    }
    delete info;
    return false;
  }
  image->data = info->shmaddr;
  mShared = reinterpret_cast<LICE_pixel*>(info->shmaddr);
  std::memcpy(mShared, mBits.data(), bytes);
  mShmInfo = info;
  mImage = image;
  return true;
}

void LICE_SysBitmap::ReleaseWindowResources()
{
  ReleaseImage();
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
  if (mSameLayout && ShareWithServer(display, visual, attrs.depth))
    return true;
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
  const auto w = static_cast<unsigned>(r - l), h = static_cast<unsigned>(b - t);
  if (mShared)
    XShmPutImage(d, window, static_cast<GC>(mGC), static_cast<XImage*>(mImage), l, t, l, t, w, h, False);
  else
    XPutImage(d, window, static_cast<GC>(mGC), static_cast<XImage*>(mImage), l, t, l, t, w, h);
  // Wait until the server has drawn it: a host reading the window back on
  // its own connection must see this picture, not the one before, and the
  // next drawing into shared pixels must not reach the server's copy.
  XSync(d, False);
  return true;
}
