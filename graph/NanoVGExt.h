// What this system adds to the vector renderer (NanoVG on its OpenGL 2 back
// end): image-filled quads, a creation flag that drops the fringe of convex
// fills, a colormap in the renderer state, one-channel float images, and
// telling a frame that repeats the last one.
#pragma once

#include "nanovg.h"

enum NVGextCreateFlags
{
  // Convex fills draw no anti-aliasing fringe even with NVG_ANTIALIAS.
  NVG_NO_CONVEX_FRINGE = 1 << 3
};

enum NVGextImageFlags
{
  // One 32-bit float per texel (red channel); sampled as (value, 0, 0, 1).
  NVG_IMAGE_FLOAT = 1 << 6
};

// Creates the GL2 renderer with the additions; flags as nvgCreateGL2's plus
// NVG_NO_CONVEX_FRINGE. Null when the shaders do not build.
NVGcontext* nvgCreateGL2Ext(int flags);
void nvgDeleteGL2Ext(NVGcontext* ctx);

// The quadrilateral corners[0..7] = (x0, y0) .. (x3, y3), filled with the
// current fill paint; image >= 0 replaces the paint's image. With a 1 x 1
// white image it is a solid quad in the fill colour, without tessellation.
void nvgQuad(NVGcontext* ctx, const double corners[8], int image);

// Whether the frame built since nvgBeginFrame draws exactly what the frame
// last passed to this call drew: the same calls, paths, vertices, uniforms
// and colormaps, and no image made, changed or deleted in between. A frame
// that differs becomes the one to compare with when it is drawn
// (nvgEndFrame); one drawn without this call, or dropped (nvgCancelFrame),
// leaves none. False for a renderer made elsewhere.
bool nvgFrameRepeatsLast(NVGcontext* ctx);

// Colormap texture of the following convex fills; 0 turns it off. Saved and
// restored with the rest of the renderer state.
void nvgSetColormap(NVGcontext* ctx, int image);
// The colormap of the current state; 0 when none (or not an extended renderer).
int nvgGetColormap(NVGcontext* ctx);
