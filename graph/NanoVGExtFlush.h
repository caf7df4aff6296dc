// The extended renderer's flush: NanoVG's GL2 flush with the convex fills
// drawn with their colormap (and without fringes under NVG_NO_CONVEX_FRINGE)
// and the calls the solid program can take drawn by it. Only NanoVGExt.cpp
// includes it.
#pragma once

#include "graph/NanoVGBackEnd.h"
#include "graph/NanoVGExt.h"
#include "graph/NanoVGExtContext.h"
#include "graph/NanoVGExtSolid.h"

namespace
{
// NanoVG's convex fill plus the colormap switch, and without fringe draws
// under NVG_NO_CONVEX_FRINGE (the strips are still in the vertex buffer).
void ExtConvexFill(GLNVGextContext* ext, GLNVGcall* call, int colormap)
{
  GLNVGcontext* gl = &ext->gl;
  GLNVGpath* paths = &gl->paths[call->pathOffset];
  const bool fringes = (gl->flags & NVG_NO_CONVEX_FRINGE) == 0;

  glnvg__setUniforms(gl, call->uniformOffset, call->image);
  glnvg__checkError(gl, "convex fill");
  if (colormap > 0)
  {
    GLNVGtexture* tex = glnvg__findTexture(gl, colormap);
    if (tex != nullptr)
    {
      glActiveTexture(GL_TEXTURE1);
      glBindTexture(GL_TEXTURE_2D, tex->tex);
      glActiveTexture(GL_TEXTURE0);
      glUniform1i(ext->locColormapTex, 1);
      glUniform1f(ext->locUseColormap, 1.0f);
    }
  }

  for (int i = 0; i < call->pathCount; i++)
  {
    glDrawArrays(GL_TRIANGLE_FAN, paths[i].fillOffset, paths[i].fillCount);
    if (fringes && paths[i].strokeCount > 0)
      glDrawArrays(GL_TRIANGLE_STRIP, paths[i].strokeOffset, paths[i].strokeCount);
  }
  glUniform1f(ext->locUseColormap, 0.0f);
}

// NanoVG's GL state at the start of a flush, with both programs' frame
// uniforms set; the solid program is left in use.
void BeginFlush(GLNVGextContext* ext)
{
  GLNVGcontext* gl = &ext->gl;
  glUseProgram(gl->shader.prog);

  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glStencilMask(0xffffffff);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glStencilFunc(GL_ALWAYS, 0, 0xffffffff);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, 0);
  gl->boundTexture = 0;
  gl->stencilMask = 0xffffffff;
  gl->stencilFunc = GL_ALWAYS;
  gl->stencilFuncRef = 0;
  gl->stencilFuncMask = 0xffffffff;
  gl->blendFunc.srcRGB = GL_INVALID_ENUM;
  gl->blendFunc.srcAlpha = GL_INVALID_ENUM;
  gl->blendFunc.dstRGB = GL_INVALID_ENUM;
  gl->blendFunc.dstAlpha = GL_INVALID_ENUM;

  glBindBuffer(GL_ARRAY_BUFFER, gl->vertBuf);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(gl->nverts * sizeof(NVGvertex)), gl->verts, GL_STREAM_DRAW);
  glEnableVertexAttribArray(0);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(NVGvertex), (const GLvoid*)(size_t)0);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(NVGvertex), (const GLvoid*)(0 + 2 * sizeof(float)));

  glUniform1i(gl->shader.loc[GLNVG_LOC_TEX], 0);
  glUniform2fv(gl->shader.loc[GLNVG_LOC_VIEWSIZE], 1, gl->view);
  glUniform1i(ext->locColormapTex, 1);
  glUniform1f(ext->locUseColormap, 0.0f);
  glUseProgram(ext->solid.prog);
  glUniform2fv(ext->solid.loc[GLNVG_LOC_VIEWSIZE], 1, gl->view);
}

// Restores the GL state NanoVG leaves after a flush.
void EndFlush(GLNVGcontext* gl)
{
  glDisableVertexAttribArray(0);
  glDisableVertexAttribArray(1);
  glDisable(GL_CULL_FACE);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
  glUseProgram(0);
  glnvg__bindTexture(gl, 0);
}

// NanoVG's GL2 flush, with the convex fills drawn by ExtConvexFill and the
// calls that DrawsSolid accepts drawn by the solid program.
void ExtRenderFlush(void* uptr)
{
  GLNVGextContext* ext = Ext(uptr);
  GLNVGcontext* gl = &ext->gl;

  if (gl->ncalls > 0)
  {
    BeginFlush(ext);
    GLuint program = ext->solid.prog;

    for (int i = 0; i < gl->ncalls; i++)
    {
      GLNVGcall* call = &gl->calls[i];
      glnvg__blendFuncSeparate(gl, &call->blendFunc);
      const bool solid = DrawsSolid(ext, call);
      const GLuint wanted = solid ? ext->solid.prog : gl->shader.prog;
      if (wanted != program)
      {
        glUseProgram(wanted);
        program = wanted;
      }
      if (solid)
        DrawSolid(ext, call);
      else if (call->type == GLNVG_FILL)
        glnvg__fill(gl, call);
      else if (call->type == GLNVG_CONVEXFILL)
        ExtConvexFill(ext, call, CallColormap(ext, i));
      else if (call->type == GLNVG_STROKE)
        glnvg__stroke(gl, call);
      else if (call->type == GLNVG_TRIANGLES)
        glnvg__triangles(gl, call);
    }

    EndFlush(gl);
  }

  // The compared frame's vertices become the record by trading buffers; a
  // frame drawn without comparing leaves no record to trust.
  if (ext->frameCompared == 0)
    ext->nlastVerts = -1;
  else if (ext->tradeVerts != 0)
  {
    NVGvertex* verts = gl->verts;
    const int cverts = gl->cverts;
    gl->verts = ext->lastVerts;
    gl->cverts = ext->clastVerts;
    ext->lastVerts = verts;
    ext->clastVerts = cverts;
    ext->nlastVerts = gl->nverts;
  }
  ext->frameCompared = 0;
  ext->tradeVerts = 0;

  gl->nverts = 0;
  gl->npaths = 0;
  gl->ncalls = 0;
  gl->nuniforms = 0;
}

} // namespace
