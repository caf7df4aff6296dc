// The editor's drawing surface: a picture in memory that can also be put
// onto an X11 window. The X image that shares its pixels is made on first
// use for the window in question and made again when the size changes.
// Where the X server shares memory with us (MIT-SHM: a local server), the
// pixels move into a shared segment, so showing them sends no picture
// through the connection; otherwise they go with XPutImage.
#pragma once

#include "framework/IRECT.h"
#include "framework/LICE_IBitmap.h"

#include <cstdint>
#include <vector>

class LICE_SysBitmap : public LICE_IBitmap
{
public:
  LICE_SysBitmap(int w = 0, int h = 0);
  ~LICE_SysBitmap() override;

  LICE_SysBitmap(const LICE_SysBitmap&) = delete;
  LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;

  LICE_pixel* getBits() override { return mShared ? mShared : mBits.empty() ? nullptr : mBits.data(); }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mWidth; }
  bool resize(int w, int h) override;

  // Copies the region (clipped to the picture) to the same place in the
  // window; display is an X11 Display*. False when nothing could be shown.
  bool ShowOnWindow(void* display, unsigned long window, const IRECT& region);
  // Frees what was made for a window; must run before its display closes.
  void ReleaseWindowResources();
  // Whether the pixels are shown through shared memory.
  bool IsShared() const { return mShared != nullptr; }
  // Off, showing always sends the picture with XPutImage (as to a remote
  // server); takes effect for the next window. On by default.
  void SetUseSharedMemory(bool use) { mUseShared = use; }

private:
  bool PrepareImage(void* display, unsigned long window);
  // The pixels moved into a segment the server attached; false (nothing
  // changed) where it cannot.
  bool ShareWithServer(void* display, void* visual, int depth);
  void ReleaseImage();

  std::vector<LICE_pixel> mBits;
  int mWidth = 0, mHeight = 0;
  void* mDisplay = nullptr;
  unsigned long mWindow = 0;
  void* mImage = nullptr;   // XImage* over mBits (or mConverted)
  void* mGC = nullptr;      // GC
  bool mSameLayout = false; // the window's pixels are laid out like ours
  int mShift[3] = {16, 8, 0};
  std::vector<uint32_t> mConverted;
  bool mUseShared = true;
  LICE_pixel* mShared = nullptr; // the shared segment while attached
  void* mShmInfo = nullptr;      // XShmSegmentInfo
};
