// The solid program's draws: the calls it can take from NanoVG's shader
// (solid strokes, quads of a white image), and a stroke's strips drawn as one
// triangle list. Only NanoVGExt.cpp includes it, through NanoVGExtFlush.h.
#pragma once

#include "graph/NanoVGBackEnd.h"
#include "graph/NanoVGExtContext.h"
#include "graph/StripTriangles.h"

#include <algorithm>
#include <cstdlib>

namespace
{
constexpr int kTrianglesPerFlush = 8192;

bool NoScissor(const GLNVGfragUniforms* frag)
{
  for (float m : frag->scissorMat)
    if (m != 0.0f)
      return false;
  return frag->scissorExt[0] == 1.0f && frag->scissorExt[1] == 1.0f && frag->scissorScale[0] == 1.0f &&
         frag->scissorScale[1] == 1.0f;
}

// Whether the solid program draws call as NanoVG's shader would.
bool SameColor(const NVGcolor& a, const NVGcolor& b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

bool DrawsSolid(const GLNVGextContext* ext, const GLNVGcall* call)
{
  const GLNVGcontext* gl = &ext->gl;
  const GLNVGfragUniforms* frag = reinterpret_cast<const GLNVGfragUniforms*>(&gl->uniforms[call->uniformOffset]);
  if (!NoScissor(frag))
    return false;
  if (call->type == GLNVG_STROKE)
    return (gl->flags & NVG_STENCIL_STROKES) == 0 && call->image == 0 &&
           frag->type == static_cast<float>(NSVG_SHADER_FILLGRAD) && frag->strokeThr < 0.0f &&
           SameColor(frag->innerCol, frag->outerCol);
  if (call->type == GLNVG_TRIANGLES)
    return frag->type == static_cast<float>(NSVG_SHADER_IMG) && frag->texType == 1.0f &&
           IsWhiteImage(ext, call->image);
  return false;
}

// A stroke's triangle strips as one list of the triangles that can draw
// anything (see StripTriangles).
void DrawStrips(GLNVGextContext* ext, const GLNVGcall* call)
{
  GLNVGcontext* gl = &ext->gl;
  const GLNVGpath* paths = &gl->paths[call->pathOffset];
  int needed = 0;
  for (int i = 0; i < call->pathCount; i++)
    needed += StripTriangles::MaxIndices(paths[i].strokeCount);
  if (needed > ext->cindices)
  {
    const int capacity = needed + needed / 2;
    GLuint* grown = static_cast<GLuint*>(realloc(ext->indices, sizeof(GLuint) * static_cast<size_t>(capacity)));
    if (grown == nullptr)
    {
      for (int i = 0; i < call->pathCount; i++)
        glDrawArrays(GL_TRIANGLE_STRIP, paths[i].strokeOffset, paths[i].strokeCount);
      return;
    }
    ext->indices = grown;
    ext->cindices = capacity;
  }
  int n = 0;
  for (int i = 0; i < call->pathCount; i++)
    n += StripTriangles::Append(gl->verts, paths[i].strokeOffset, paths[i].strokeCount, ext->indices + n);
  // In parts with a flush after each: software GL rasterizes a part on its
  // threads while the next one is set up, instead of setting up the whole
  // frame first.
  const int part = 3 * kTrianglesPerFlush;
  for (int at = 0; at < n; at += part)
  {
    glDrawElements(GL_TRIANGLES, std::min(part, n - at), GL_UNSIGNED_INT, ext->indices + at);
    if (n - at > part)
      glFlush();
  }
}

void DrawSolid(GLNVGextContext* ext, const GLNVGcall* call)
{
  GLNVGcontext* gl = &ext->gl;
  const GLNVGfragUniforms* frag = reinterpret_cast<const GLNVGfragUniforms*>(&gl->uniforms[call->uniformOffset]);
  glUniform4fv(ext->solid.loc[GLNVG_LOC_FRAG], NANOVG_GL_UNIFORMARRAY_SIZE, &frag->uniformArray[0][0]);
  if (call->type == GLNVG_TRIANGLES)
  {
    glDrawArrays(GL_TRIANGLES, call->triangleOffset, call->triangleCount);
    return;
  }
  DrawStrips(ext, call);
}
} // namespace
