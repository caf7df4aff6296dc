// How the extended renderer records draw calls: each with the colormap it
// draws with, and a stroke or triangle list that draws exactly as the call
// before it merged into that call. Only NanoVGExt.cpp includes it.
#pragma once

#include "graph/NanoVGBackEnd.h"
#include "graph/NanoVGExtContext.h"

#include <cstring>

namespace
{
void ExtRenderFill(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
                   const float* bounds, const NVGpath* paths, int npaths)
{
  GLNVGextContext* ext = Ext(uptr);
  const int before = ext->gl.ncalls;
  glnvg__renderFill(uptr, paint, op, scissor, fringe, bounds, paths, npaths);
  RecordCallColormap(ext, before, CurrentColormap(ext));
}

bool SameBlend(const GLNVGblend& a, const GLNVGblend& b)
{
  return a.srcRGB == b.srcRGB && a.dstRGB == b.dstRGB && a.srcAlpha == b.srcAlpha && a.dstAlpha == b.dstAlpha;
}

// Whether the call just appended draws exactly as the one before it (same
// kind, image, blending and uniforms), so that the two can be one call.
// Each call costs a uniform upload, a texture bind and its own draws, which
// for thousands of small quads is most of the frame.
bool SameAsPrevious(GLNVGcontext* gl, int type)
{
  if (gl->ncalls < 2)
    return false;
  const GLNVGcall& prev = gl->calls[gl->ncalls - 2];
  const GLNVGcall& last = gl->calls[gl->ncalls - 1];
  return prev.type == type && last.type == type && prev.image == last.image &&
         SameBlend(prev.blendFunc, last.blendFunc) && last.uniformOffset == prev.uniformOffset + gl->fragSize &&
         memcmp(&gl->uniforms[prev.uniformOffset], &gl->uniforms[last.uniformOffset],
                static_cast<size_t>(gl->fragSize)) == 0;
}

// Drops the call just appended and its uniforms, after its geometry has
// been handed to the call before it.
void DropLastCall(GLNVGcontext* gl)
{
  gl->ncalls--;
  gl->nuniforms--;
}

void ExtRenderStroke(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
                     float strokeWidth, const NVGpath* paths, int npaths)
{
  GLNVGextContext* ext = Ext(uptr);
  GLNVGcontext* gl = &ext->gl;
  const int before = gl->ncalls;
  glnvg__renderStroke(uptr, paint, op, scissor, fringe, strokeWidth, paths, npaths);
  if (gl->ncalls <= before)
    return;
  // Stencil strokes keep one call per stroke: their passes must not
  // overlap from one stroke to the next.
  if ((gl->flags & NVG_STENCIL_STROKES) == 0 && SameAsPrevious(gl, GLNVG_STROKE))
  {
    GLNVGcall& prev = gl->calls[gl->ncalls - 2];
    const GLNVGcall& last = gl->calls[gl->ncalls - 1];
    if (prev.pathOffset + prev.pathCount == last.pathOffset)
    {
      prev.pathCount += last.pathCount;
      DropLastCall(gl);
      return;
    }
  }
  RecordCallColormap(ext, before, 0);
}

void ExtRenderTriangles(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                        const NVGvertex* verts, int nverts, float fringe)
{
  GLNVGextContext* ext = Ext(uptr);
  GLNVGcontext* gl = &ext->gl;
  const int before = gl->ncalls;
  glnvg__renderTriangles(uptr, paint, op, scissor, verts, nverts, fringe);
  if (gl->ncalls <= before)
    return;
  if (SameAsPrevious(gl, GLNVG_TRIANGLES))
  {
    GLNVGcall& prev = gl->calls[gl->ncalls - 2];
    const GLNVGcall& last = gl->calls[gl->ncalls - 1];
    if (prev.triangleOffset + prev.triangleCount == last.triangleOffset)
    {
      prev.triangleCount += last.triangleCount;
      DropLastCall(gl);
      return;
    }
  }
  RecordCallColormap(ext, before, 0);
}
} // namespace
