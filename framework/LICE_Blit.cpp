#include "framework/LICE_Blit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
// The destination area after clipping to dest and clip; false when empty.
bool ClipArea(LICE_IBitmap* dest, const IRECT* clip, IRECT& area)
{
  area.L = std::max(area.L, 0);
  area.T = std::max(area.T, 0);
  area.R = std::min(area.R, dest->getWidth());
  area.B = std::min(area.B, dest->getHeight());
  if (clip)
  {
    area.L = std::max(area.L, clip->L);
    area.T = std::max(area.T, clip->T);
    area.R = std::min(area.R, clip->R);
    area.B = std::min(area.B, clip->B);
  }
  return area.L < area.R && area.T < area.B;
}

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

int Dodge(int d, int s) { return s >= 255 ? (d > 0 ? 255 : 0) : std::min(255, d * 255 / (255 - s)); }
int Overlay(int d, int s) { return d < 128 ? 2 * d * s / 255 : 255 - 2 * (255 - d) * (255 - s) / 255; }

void RgbToHsv(int r, int g, int b, double& h, double& s, double& v)
{
  const int mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
  v = mx / 255.0;
  const double delta = (mx - mn) / 255.0;
  s = mx > 0 ? delta / v : 0.0;
  if (delta <= 0.0)
    h = 0.0;
  else if (mx == r)
    h = std::fmod((g - b) / 255.0 / delta + 6.0, 6.0);
  else if (mx == g)
    h = (b - r) / 255.0 / delta + 2.0;
  else
    h = (r - g) / 255.0 / delta + 4.0;
}

void HsvToRgb(double h, double s, double v, int& r, int& g, int& b)
{
  h = std::fmod(std::fmod(h, 6.0) + 6.0, 6.0);
  const double c = v * s, x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0)), m = v - c;
  double rf = 0, gf = 0, bf = 0;
  switch (static_cast<int>(h))
  {
    case 0:
      rf = c, gf = x;
      break;
    case 1:
      rf = x, gf = c;
      break;
    case 2:
      gf = c, bf = x;
      break;
    case 3:
      gf = x, bf = c;
      break;
    case 4:
      rf = x, bf = c;
      break;
    default:
      rf = c, bf = x;
      break;
  }
  r = Clamp255(static_cast<int>(std::lround((rf + m) * 255.0)));
  g = Clamp255(static_cast<int>(std::lround((gf + m) * 255.0)));
  b = Clamp255(static_cast<int>(std::lround((bf + m) * 255.0)));
}

// The colour that the mode gives for picture pixel s over dest pixel d.
void ModeColour(IChannelBlend::EBlendMethod mode, LICE_pixel d, LICE_pixel s, int& r, int& g, int& b)
{
  const int dr = LICE_GETR(d), dg = LICE_GETG(d), db = LICE_GETB(d);
  const int sr = LICE_GETR(s), sg = LICE_GETG(s), sb = LICE_GETB(s);
  switch (mode)
  {
    case IChannelBlend::kBlendAdd:
      r = std::min(255, dr + sr), g = std::min(255, dg + sg), b = std::min(255, db + sb);
      break;
    case IChannelBlend::kBlendColorDodge:
      r = Dodge(dr, sr), g = Dodge(dg, sg), b = Dodge(db, sb);
      break;
    case IChannelBlend::kBlendMultiply:
      r = dr * sr / 255, g = dg * sg / 255, b = db * sb / 255;
      break;
    case IChannelBlend::kBlendOverlay:
      r = Overlay(dr, sr), g = Overlay(dg, sg), b = Overlay(db, sb);
      break;
    case IChannelBlend::kBlendHSVAdjust:
    {
      double h, sat, v;
      RgbToHsv(dr, dg, db, h, sat, v);
      h += (sr - 128) / 128.0 * 3.0;
      sat = std::min(1.0, sat * sg / 128.0);
      v = std::min(1.0, v * sb / 128.0);
      HsvToRgb(h, sat, v, r, g, b);
      break;
    }
    default:
      r = sr, g = sg, b = sb;
      break;
  }
}

inline LICE_pixel Mix(LICE_pixel d, int r, int g, int b, int a256)
{
  const int dr = LICE_GETR(d), dg = LICE_GETG(d), db = LICE_GETB(d), da = LICE_GETA(d);
  return LICE_RGBA(dr + (((r - dr) * a256 + 128) >> 8), dg + (((g - dg) * a256 + 128) >> 8),
                   db + (((b - db) * a256 + 128) >> 8), da + (((255 - da) * a256 + 128) >> 8));
}
} // namespace

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstX, int dstY, int srcX, int srcY, int w, int h,
               float alpha, IChannelBlend::EBlendMethod mode, const IRECT* clip)
{
  if (!dest || !src || !dest->getBits() || !src->getBits() || alpha <= 0.0f)
    return;
  // Keep the block inside the source picture.
  if (srcX < 0)
    dstX -= srcX, w += srcX, srcX = 0;
  if (srcY < 0)
    dstY -= srcY, h += srcY, srcY = 0;
  w = std::min(w, src->getWidth() - srcX);
  h = std::min(h, src->getHeight() - srcY);
  IRECT area(dstX, dstY, dstX + w, dstY + h);
  if (w <= 0 || h <= 0 || !ClipArea(dest, clip, area))
    return;

  const int weight = static_cast<int>(std::lround(std::min(alpha, 1.0f) * 256.0f));
  const int dSpan = dest->getRowSpan(), sSpan = src->getRowSpan();
  for (int y = area.T; y < area.B; ++y)
  {
    LICE_pixel* dp = dest->getBits() + static_cast<long>(y) * dSpan + area.L;
    const LICE_pixel* sp = src->getBits() + static_cast<long>(y - dstY + srcY) * sSpan + (area.L - dstX + srcX);
    const int n = area.R - area.L;
    if (mode == IChannelBlend::kBlendClobber)
    {
      if (weight >= 256)
      {
        std::memcpy(dp, sp, sizeof(LICE_pixel) * static_cast<size_t>(n));
        continue;
      }
      for (int i = 0; i < n; ++i)
      {
        const LICE_pixel d = dp[i], s = sp[i];
        const int da = LICE_GETA(d);
        const LICE_pixel mixed = Mix(d, LICE_GETR(s), LICE_GETG(s), LICE_GETB(s), weight);
        dp[i] = (mixed & 0x00ffffffu) | static_cast<LICE_pixel>(da + (((LICE_GETA(s) - da) * weight) >> 8)) << 24;
      }
      continue;
    }
    for (int i = 0; i < n; ++i)
    {
      const LICE_pixel s = sp[i];
      const int sa = LICE_GETA(s);
      if (sa == 0)
        continue;
      const int a256 = (sa + (sa >> 7)) * weight >> 8; // sa / 255 * weight, 0..256
      if (mode == IChannelBlend::kBlendNone && a256 >= 256)
      {
        dp[i] = s | 0xff000000u;
        continue;
      }
      int r, g, b;
      ModeColour(mode, dp[i], s, r, g, b);
      dp[i] = Mix(dp[i], r, g, b, a256);
    }
  }
}

void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, const IRECT& to, const IRECT* clip)
{
  if (!dest || !src || !dest->getBits() || !src->getBits() || to.W() <= 0 || to.H() <= 0)
    return;
  IRECT area = to;
  if (!ClipArea(dest, clip, area))
    return;
  const int sw = src->getWidth(), sh = src->getHeight(), sSpan = src->getRowSpan();
  const double fx = static_cast<double>(sw) / to.W(), fy = static_cast<double>(sh) / to.H();
  for (int y = area.T; y < area.B; ++y)
  {
    const double syf = std::clamp((y - to.T + 0.5) * fy - 0.5, 0.0, sh - 1.0);
    const int sy0 = static_cast<int>(syf), sy1 = std::min(sy0 + 1, sh - 1);
    const int wy = static_cast<int>((syf - sy0) * 256.0);
    const LICE_pixel* row0 = src->getBits() + static_cast<long>(sy0) * sSpan;
    const LICE_pixel* row1 = src->getBits() + static_cast<long>(sy1) * sSpan;
    LICE_pixel* dp = dest->getBits() + static_cast<long>(y) * dest->getRowSpan();
    for (int x = area.L; x < area.R; ++x)
    {
      const double sxf = std::clamp((x - to.L + 0.5) * fx - 0.5, 0.0, sw - 1.0);
      const int sx0 = static_cast<int>(sxf), sx1 = std::min(sx0 + 1, sw - 1);
      const int wx = static_cast<int>((sxf - sx0) * 256.0);
      const LICE_pixel p00 = row0[sx0], p01 = row0[sx1], p10 = row1[sx0], p11 = row1[sx1];
      int c[4];
      for (int k = 0; k < 4; ++k)
      {
        const int shift = 8 * k;
        const int top = static_cast<int>(p00 >> shift & 255) * (256 - wx) + static_cast<int>(p01 >> shift & 255) * wx;
        const int bot = static_cast<int>(p10 >> shift & 255) * (256 - wx) + static_cast<int>(p11 >> shift & 255) * wx;
        c[k] = (top * (256 - wy) + bot * wy) >> 16;
      }
      dp[x] = static_cast<LICE_pixel>(c[3] << 24 | c[2] << 16 | c[1] << 8 | c[0]);
    }
  }
}

void LICE_FillRect(LICE_IBitmap* dest, const IRECT& r, LICE_pixel color, float alpha, const IRECT* clip)
{
  if (!dest || !dest->getBits())
    return;
  IRECT area = r;
  if (!ClipArea(dest, clip, area))
    return;
  const int a = static_cast<int>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * LICE_GETA(color)));
  const int a256 = a + (a >> 7);
  for (int y = area.T; y < area.B; ++y)
  {
    LICE_pixel* dp = dest->getBits() + static_cast<long>(y) * dest->getRowSpan();
    for (int x = area.L; x < area.R; ++x)
      dp[x] = a256 >= 256 ? (color | 0xff000000u)
                          : Mix(dp[x], LICE_GETR(color), LICE_GETG(color), LICE_GETB(color), a256);
  }
}

void LICE_DrawRect(LICE_IBitmap* dest, const IRECT& r, LICE_pixel color, const IRECT* clip)
{
  if (r.W() <= 0 || r.H() <= 0)
    return;
  LICE_FillRect(dest, IRECT(r.L, r.T, r.R, r.T + 1), color, 1.0f, clip);
  LICE_FillRect(dest, IRECT(r.L, r.B - 1, r.R, r.B), color, 1.0f, clip);
  LICE_FillRect(dest, IRECT(r.L, r.T + 1, r.L + 1, r.B - 1), color, 1.0f, clip);
  LICE_FillRect(dest, IRECT(r.R - 1, r.T + 1, r.R, r.B - 1), color, 1.0f, clip);
}

void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color)
{
  if (!dest || !dest->getBits())
    return;
  for (int y = 0; y < dest->getHeight(); ++y)
    std::fill_n(dest->getBits() + static_cast<long>(y) * dest->getRowSpan(), dest->getWidth(), color);
}
