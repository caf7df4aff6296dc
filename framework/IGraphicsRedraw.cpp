// IGraphics: the redraw pass (dirty tracking, the controls drawn in order,
// the GL pictures over them, the prompt on top), the snapshot that reads it
// back, and the drawing calls that controls make while it runs.

#include "framework/IGraphics.h"

#include "framework/IControl.h"
#include "framework/IFontRenderer.h"
#include "framework/IGraphicsWindow.h"
#include "framework/IPlugBase.h"
#include "framework/IRectOps.h"
#include "framework/ITextEntry.h"
#include "framework/LICE_Blit.h"
#include "framework/LICE_SysBitmap.h"

#include <algorithm>

using namespace IRectOps;

namespace
{
LICE_pixel ToPixel(const IColor& c) { return LICE_RGBA(c.R, c.G, c.B, c.A); }
} // namespace

// --- Redrawing ---

bool IGraphics::Snapshot(uint8_t* rgba, int w, int h)
{
  // Held to the last byte copied: a resize on another thread waits, so the
  // picture read is the one of the size the caller asked for.
  WDL_MutexLock editor(&mEditorMutex);
  if (mWindowImpl)
    mWindowImpl->ProcessEvents();
  SyncWithPlug();
  if (!rgba || w != mWidth || h != mHeight || w <= 0 || h <= 0)
    return false;
  IRECT ignored;
  IsDirty(&ignored); // takes the dirty marks: everything is drawn now
  DrawRegion(IRECT(0, 0, mWidth, mHeight));
  ShowRegion(mLastRedraw);
  const LICE_pixel* bits = mDrawBitmap->getBits();
  const int span = mDrawBitmap->getRowSpan();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const LICE_pixel p = bits[static_cast<long>(y) * span + x];
      uint8_t* out = rgba + (static_cast<size_t>(y) * w + x) * 4;
      out[0] = static_cast<uint8_t>(LICE_GETR(p));
      out[1] = static_cast<uint8_t>(LICE_GETG(p));
      out[2] = static_cast<uint8_t>(LICE_GETB(p));
      out[3] = 255;
    }
  return true;
}

IRECT IGraphics::PaintExtent(IControl* control) const
{
  // Zero-height text rectangles still mark where their text goes.
  IRECT extent = *control->GetRECT();
  extent.R = std::max(extent.R, extent.L + 1);
  extent.B = std::max(extent.B, extent.T + 1);
  auto painted = mPainted.find(control);
  if (painted != mPainted.end())
    extent = Union(extent, painted->second);
  return extent;
}

bool IGraphics::IsDirty(IRECT* region)
{
  // The audio thread's dirty marks are atomic; the list is the editor's.
  WDL_MutexLock editor(&mEditorMutex);
  IRECT r = mPendingRegion;
  if (mFullRedraw)
    r = IRECT(0, 0, mWidth, mHeight);
  const double now = mPaceGLFrames ? IControl::NowMs() : 0.0;
  for (IControl* c : mControls)
    if (c->IsDirty())
    {
      // Its new picture is not due yet: the mark stays for the tick that renders it.
      if (mPaceGLFrames && !GLFrameDue(c, now))
        continue;
      r = Union(r, PaintExtent(c));
      c->SetClean();
    }
  mPendingRegion = IRECT();
  mFullRedraw = false;
  r = Intersect(r, IRECT(0, 0, mWidth, mHeight));
  if (region)
    *region = r;
  return !IsEmpty(r);
}

void IGraphics::AddPainted(const IRECT& r) { mPaintBounds = Union(mPaintBounds, r); }

void IGraphics::DrawBackground() { mBackground.Draw(mDrawBitmap.get(), mClip, mWidth, mHeight); }

void IGraphics::DrawRegion(const IRECT& regionIn)
{
  WDL_MutexLock editorLock(&mEditorMutex);
  const IRECT editor(0, 0, mWidth, mHeight);
  IRECT region = Intersect(regionIn, editor);
  if (IsEmpty(region))
    return;
  // A new surface is drawn whole.
  if (EnsureDrawBitmap())
    region = editor;

  // Only the copying happens under the plug-in's state mutex: what other
  // threads handed over and what the controls read of the parameters.
  // Drawing follows without it, so no host thread waits for drawing.
  {
    WDL_MutexLock lock(mPlug ? &mPlug->GetMutex() : nullptr);
    if (mPlug)
      ApplyPendingParams();
    for (IControl* c : mControls)
      if (!c->IsHidden())
        c->PrepareDraw();
  }

  // A control may paint beyond the region (a text that grew); the region
  // then grows and is drawn again, a few times at most.
  for (int pass = 0; pass < 4; ++pass)
  {
    mClip = region;
    DrawBackground();
    IRECT needed = region;
    for (size_t i = 0; i < mControls.size(); ++i)
    {
      IControl* c = mControls[i];
      const IRECT before = PaintExtent(c);
      if (c->IsHidden() || !Intersects(before, region))
        continue;
      mPaintBounds = IRECT();
      c->Draw(this);
      mPainted[c] = mPaintBounds;
      // Paint beyond what the control covered before is new on screen.
      if (!Contains(before, mPaintBounds))
        needed = Union(needed, Intersect(mPaintBounds, editor));
    }
    if (Contains(region, needed) || pass == 3)
      break;
    region = needed;
  }

  mClip = region;
  DrawGLPictures(region);
  DrawTextEntry();
  ++mNumRedraws;
  mLastRedraw = region;
}

// GL pictures go over everything drawn beneath them.
void IGraphics::DrawGLPictures(const IRECT& region)
{
  for (size_t i = 0; i < mControls.size(); ++i)
  {
    IControl* c = mControls[i];
    if (c->IsHidden() || !Intersects(*c->GetRECT(), region))
      continue;
    if (LICE_IBitmap* gl = PacedGLBitmap(c))
    {
      const IRECT* r = c->GetRECT();
      const double start = IControl::NowMs();
      LICE_Blit(mDrawBitmap.get(), gl, r->L, r->T, 0, 0, std::min(r->W(), gl->getWidth()),
                std::min(r->H(), gl->getHeight()), 1.0f, IChannelBlend::kBlendClobber, &mClip);
      mStageTimes.blitMs += IControl::NowMs() - start;
    }
  }
}

bool IGraphics::GLFrameDue(const IControl* c, double nowMs) const
{
  if (!c->IsGLFramePending())
    return true;
  auto next = mNextGLFrameMs.find(c);
  return next == mNextGLFrameMs.end() || nowMs >= next->second;
}

LICE_IBitmap* IGraphics::PacedGLBitmap(IControl* c)
{
  if (!c->IsGLFramePending())
    return c->GetGLBitmap();
  const double start = IControl::NowMs();
  auto next = mNextGLFrameMs.find(c);
  if (mPaceGLFrames && !GLFrameDue(c, start))
  {
    // Not yet: the old picture stays, and a later tick draws the new one.
    mPendingRegion = Union(mPendingRegion, *c->GetRECT());
    return c->GetLastGLBitmap();
  }
  LICE_IBitmap* gl = c->GetGLBitmap();
  const double end = IControl::NowMs();
  // Frames on a grid of the tick's period (idle stretches forgotten), and
  // as long without a frame as the last one took.
  const double period = 1000.0 / std::max(mFPS, 1);
  const double slot = next == mNextGLFrameMs.end() ? start : std::max(next->second, start - period / 2);
  mNextGLFrameMs[c] = std::max(slot + period, end + (end - start));
  return gl;
}

void IGraphics::DrawTextEntry()
{
  if (mTextEntry && Intersects(mTextEntry->GetRECT(), mClip))
    mTextEntry->Draw(mDrawBitmap.get(), mFonts.get(), &mClip);
}

// --- Drawing ---

LICE_IBitmap* IGraphics::GetDrawBitmap()
{
  EnsureDrawBitmap();
  return mDrawBitmap.get();
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int bmpState, const IChannelBlend* blend)
{
  if (!bitmap || !dest)
    return false;
  const int frame = std::clamp(bmpState, 1, std::max(bitmap->N, 1));
  return DrawBitmap(bitmap, dest, 0, (frame - 1) * bitmap->FrameHeight(), blend);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend)
{
  if (!bitmap || !bitmap->mData || !dest)
    return false;
  EnsureDrawBitmap();
  const IChannelBlend::EBlendMethod mode = blend ? blend->mMethod : IChannelBlend::kBlendNone;
  const float weight = blend ? blend->mWeight : 1.0f;
  AddPainted(*dest);
  LICE_Blit(mDrawBitmap.get(), bitmap->mData, dest->L, dest->T, srcX, srcY, dest->W(), dest->H(), weight, mode,
            &mClip);
  return true;
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect)
{
  if (!text || !str || !*str || !rect)
    return false;
  EnsureDrawBitmap();
  IRECT drawn;
  if (!mFonts->DrawText(mDrawBitmap.get(), *text, str, *rect, &mClip, &drawn))
    return false;
  AddPainted(drawn);
  return true;
}

bool IGraphics::MeasureIText(IText* text, const char* str, IRECT* rect, IRECT* box)
{
  if (!text || !rect)
    return false;
  return mFonts->MeasureText(*text, str, *rect, box);
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend)
{
  if (!color || !rect)
    return false;
  EnsureDrawBitmap();
  AddPainted(*rect);
  LICE_FillRect(mDrawBitmap.get(), *rect, ToPixel(*color), blend ? blend->mWeight : 1.0f, &mClip);
  return true;
}

bool IGraphics::DrawRect(const IColor* color, IRECT* rect)
{
  if (!color || !rect)
    return false;
  EnsureDrawBitmap();
  AddPainted(*rect);
  LICE_DrawRect(mDrawBitmap.get(), *rect, ToPixel(*color), &mClip);
  return true;
}
