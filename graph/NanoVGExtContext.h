// The back-end record of the extended renderer (see NanoVGExt.cpp) and what
// it keeps beside NanoVG's own: the colormap of each state and each call,
// and the images known to be one white texel. Only NanoVGExt.cpp includes
// it, through the headers of its parts.
#pragma once

#include "graph/NanoVGBackEnd.h"

#include <cstdlib>

namespace
{
constexpr int kMaxWhiteImages = 8;

// The back-end context of an extended renderer. gl comes first: NanoVG's
// GL2 functions receive a pointer to this record as their GLNVGcontext, and
// its renderDelete frees it with free().
struct GLNVGextContext
{
  GLNVGcontext gl;
  NVGcontext* ctx;
  GLint locColormapTex;
  GLint locUseColormap;
  // Colormap image of each saved state, indexed like ctx->states.
  int stateColormaps[NVG_MAX_STATES];
  // Colormap image of each recorded draw call, indexed like gl.calls.
  int* callColormaps;
  int ccallColormaps;
  // The solid program: NanoVG's shader cut down to what solid strokes and
  // quads of a white image compute (see NanoVGShaderEdits::MakeSolid).
  GLNVGshader solid;
  // Triangle indices of the solid strokes of the frame being flushed.
  GLuint* indices;
  int cindices;
  // Images made as one opaque white texel and not changed since.
  int whiteImages[kMaxWhiteImages];
  int nwhiteImages;
  // What the last frame compared by nvgFrameRepeatsLast drew: its vertices
  // (a buffer traded with the back end's after the flush, not copied; -1
  // vertices: nothing to compare with), the rest as bytes, and whether an
  // image was made, changed or deleted since.
  NVGvertex* lastVerts;
  int nlastVerts;
  int clastVerts;
  unsigned char* lastFrame;
  size_t nlastFrame;
  size_t clastFrame;
  int imagesChanged;
  // The frame being built was compared; its vertices differ from the
  // last; it differs at all (dropping it leaves no record to trust).
  int frameCompared;
  int tradeVerts;
  int frameDiffers;
};

GLNVGextContext* Ext(void* uptr) { return static_cast<GLNVGextContext*>(uptr); }

int CurrentColormap(GLNVGextContext* ext)
{
  const int n = ext->ctx != nullptr ? ext->ctx->nstates : 0;
  return n > 0 ? ext->stateColormaps[n - 1] : 0;
}

// Records the colormap of the call that the back end has just appended, if
// it appended one.
void RecordCallColormap(GLNVGextContext* ext, int callsBefore, int colormap)
{
  GLNVGcontext* gl = &ext->gl;
  if (gl->ncalls <= callsBefore)
    return;
  if (gl->ccalls > ext->ccallColormaps)
  {
    int* grown = static_cast<int*>(realloc(ext->callColormaps, sizeof(int) * gl->ccalls));
    if (grown == nullptr)
      return;
    ext->callColormaps = grown;
    ext->ccallColormaps = gl->ccalls;
  }
  ext->callColormaps[gl->ncalls - 1] = colormap;
}

int CallColormap(GLNVGextContext* ext, int call) { return call < ext->ccallColormaps ? ext->callColormaps[call] : 0; }

// Forgets image as a white one (it is being changed or deleted); either way
// a frame drawing the same calls may now show something else.
void ForgetWhiteImage(GLNVGextContext* ext, int image)
{
  ext->imagesChanged = 1;
  for (int i = 0; i < ext->nwhiteImages; i++)
    if (ext->whiteImages[i] == image)
      ext->whiteImages[i--] = ext->whiteImages[--ext->nwhiteImages];
}

bool IsWhiteImage(const GLNVGextContext* ext, int image)
{
  for (int i = 0; i < ext->nwhiteImages; i++)
    if (ext->whiteImages[i] == image)
      return true;
  return false;
}
} // namespace
