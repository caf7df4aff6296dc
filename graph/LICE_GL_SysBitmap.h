// A picture that the GPU draws: a framebuffer object (RGBA8 colour with a
// 24/8 depth-stencil buffer) of the bitmap's size, plus the memory that the
// framework reads. Every GL call needs the context it was made in current;
// getBits does not touch GL, it hands out what the last ReadBack copied.
//
// Memory layout: ReadBack copies the framebuffer with glReadPixels as RGBA
// bytes, GL's bottom row first. Read as LICE pixels (A<<24|R<<16|G<<8|B,
// row 0 on top) that shows the renderer's y = 0 at the bottom and its red
// as blue; the graph hands its colours over with red and blue swapped, so
// they show as given.
#pragma once

#include "framework/LICE_IBitmap.h"

#include <vector>

class LICE_GL_SysBitmap : public LICE_IBitmap
{
public:
  // A 0 x 0 bitmap has no framebuffer; any other size needs a current context.
  LICE_GL_SysBitmap(int width = 0, int height = 0);
  // Releases the framebuffer; the context it was made in must be current.
  ~LICE_GL_SysBitmap() override;

  LICE_GL_SysBitmap(const LICE_GL_SysBitmap&) = delete;
  LICE_GL_SysBitmap& operator=(const LICE_GL_SysBitmap&) = delete;

  LICE_pixel* getBits() override { return mBits.empty() ? nullptr : mBits.data(); }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mWidth; }
  // Makes the framebuffer again at the new size (contents undefined, memory
  // zeroed); false when it cannot be made complete.
  bool resize(int width, int height) override;

  // Makes the framebuffer the drawing target with a viewport of its size.
  bool BindFramebuffer();
  // Clears to the pixel c3<<24|c2<<16|c1<<8|c0: GL red c0, green c1, blue
  // c2, alpha c3 (each / 255); the stencil is cleared too, as the renderer
  // expects it zero. Leaves the framebuffer bound.
  void clear(LICE_pixel color);
  // Copies the framebuffer into the memory getBits returns.
  bool ReadBack();
  bool IsValid() const { return mFramebuffer != 0; }

private:
  void Release();

  int mWidth = 0, mHeight = 0;
  std::vector<LICE_pixel> mBits;
  unsigned mFramebuffer = 0;
  unsigned mColorBuffer = 0;
  unsigned mDepthStencilBuffer = 0;
};
