// A renderer of our own on a GL context with a framebuffer bitmap, for
// checking the renderer additions by their pixels. Valid only where a GL
// context can be made (an X display with OpenGL 2 and framebuffers).
#pragma once

#include "graph/GLContext3.h"
#include "graph/LICE_GL_SysBitmap.h"
#include "graph/NanoVGExt.h"

#include <GL/glew.h>
#include "nanovg_gl.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class OffscreenCanvas
{
public:
  OffscreenCanvas(int width, int height, int flags = NVG_ANTIALIAS | NVG_STENCIL_STROKES)
    : mContext("canvas", nullptr), mWidth(width), mHeight(height)
  {
    if (!mContext.Bind())
      return;
    mBitmap = std::make_unique<LICE_GL_SysBitmap>(width, height);
    if (mBitmap->IsValid())
      mVg = nvgCreateGL2Ext(flags);
  }
  ~OffscreenCanvas()
  {
    if (!mContext.IsValid())
      return;
    if (mVg)
      nvgDeleteGL2Ext(mVg);
    mBitmap.reset();
    mContext.Unbind();
  }

  bool IsValid() const { return mVg != nullptr; }
  NVGcontext* Vg() { return mVg; }
  LICE_GL_SysBitmap* Bitmap() { return mBitmap.get(); }

  // One frame on a cleared target (LICE pixel clearPixel), then read back.
  void Frame(const std::function<void(NVGcontext*)>& draw, LICE_pixel clearPixel = 0xff000000)
  {
    mBitmap->clear(clearPixel);
    nvgBeginFrame(mVg, static_cast<float>(mWidth), static_cast<float>(mHeight), 1.0f);
    draw(mVg);
    nvgEndFrame(mVg);
    mBitmap->ReadBack();
  }

  // The renderer's RGBA at renderer pixel (x, y), as GL stored it.
  std::array<int, 4> RendererRGBA(int x, int y)
  {
    // Memory row 0 is GL's bottom row, which is renderer y = height - 1.
    const LICE_pixel p = mBitmap->getBits()[static_cast<size_t>(mHeight - 1 - y) * mWidth + x];
    return {static_cast<int>(p & 255), static_cast<int>((p >> 8) & 255), static_cast<int>((p >> 16) & 255),
            static_cast<int>(p >> 24)};
  }

private:
  GLContext3 mContext;
  int mWidth, mHeight;
  std::unique_ptr<LICE_GL_SysBitmap> mBitmap;
  NVGcontext* mVg = nullptr;
};
