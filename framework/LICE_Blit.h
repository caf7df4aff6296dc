// Drawing between LICE pictures: blits with the framework's blend modes,
// a smooth scaled copy, rectangle fills and clears. Every operation clips
// to the destination and to an optional clip rectangle.
#pragma once

#include "framework/IChannelBlend.h"
#include "framework/IRECT.h"
#include "framework/LICE_IBitmap.h"

// A pixel from its four components (each 0..255).
inline LICE_pixel LICE_RGBA(int r, int g, int b, int a)
{
  return static_cast<LICE_pixel>((a & 255) << 24 | (r & 255) << 16 | (g & 255) << 8 | (b & 255));
}
inline int LICE_GETR(LICE_pixel p) { return static_cast<int>(p >> 16 & 255); }
inline int LICE_GETG(LICE_pixel p) { return static_cast<int>(p >> 8 & 255); }
inline int LICE_GETB(LICE_pixel p) { return static_cast<int>(p & 255); }
inline int LICE_GETA(LICE_pixel p) { return static_cast<int>(p >> 24 & 255); }

// Draws the w x h block of src at (srcX, srcY) onto dest at (dstX, dstY).
// mode is an IChannelBlend method; alpha (0..1) is the opacity:
//  none      picture over dest by the picture's alpha
//  clobber   plain copy, alpha included (alpha < 1 mixes it with dest)
//  add, dodge, multiply, overlay: the mode's colour, mixed in by the
//            picture's alpha
//  HSV adjust: the picture's red, green and blue shift the hue (128 = no
//            shift, 0 and 255 half a turn) and scale the saturation and
//            value (128 = unchanged, 255 = about doubled) of dest
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstX, int dstY, int srcX, int srcY, int w, int h,
               float alpha, IChannelBlend::EBlendMethod mode, const IRECT* clip = nullptr);

// Draws all of src stretched over the rectangle (bilinear filtering),
// as a plain copy.
void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, const IRECT& to, const IRECT* clip = nullptr);

// Mixes colour (with its own alpha times alpha) into the rectangle.
void LICE_FillRect(LICE_IBitmap* dest, const IRECT& r, LICE_pixel color, float alpha = 1.0f,
                   const IRECT* clip = nullptr);

// Mixes colour into every pixel of the rectangle's one-pixel outline.
void LICE_DrawRect(LICE_IBitmap* dest, const IRECT& r, LICE_pixel color, const IRECT* clip = nullptr);

void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color);

// Mixes colour into one pixel with a coverage of 0..255 (text glyphs).
inline void LICE_PutCoverage(LICE_pixel* p, LICE_pixel color, int coverage)
{
  const int a = coverage * LICE_GETA(color) / 255;
  if (a <= 0)
    return;
  const LICE_pixel d = *p;
  const int r = LICE_GETR(d) + ((LICE_GETR(color) - LICE_GETR(d)) * a + 127) / 255;
  const int g = LICE_GETG(d) + ((LICE_GETG(color) - LICE_GETG(d)) * a + 127) / 255;
  const int b = LICE_GETB(d) + ((LICE_GETB(color) - LICE_GETB(d)) * a + 127) / 255;
  const int da = LICE_GETA(d) + ((255 - LICE_GETA(d)) * a + 127) / 255;
  *p = LICE_RGBA(r, g, b, da);
}
