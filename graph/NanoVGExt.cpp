// The one translation unit that compiles NanoVG and its GL2 back end, with
// this system's additions around their internals (see NanoVGExt.h).
//
// How the additions hook in without touching NanoVG's files:
// - The back end's callbacks are the NVGparams table. nvgCreateGL2Ext builds
//   that table itself with NanoVG's GL2 functions, wrapping renderCreate (own
//   shader), renderCreateTexture/renderUpdateTexture (float images),
//   renderFill/renderStroke/renderTriangles (per-call colormap), renderFlush
//   (the convex-fill path with the colormap and without fringes) and
//   renderDelete. The wrapped back-end context is a GLNVGcontext followed by
//   our fields, so NanoVG's own functions take it as theirs.
// - NVGstate has no room for the colormap, so it lives in a parallel stack
//   indexed like ctx->states. nvgSave, nvgRestore, nvgReset and
//   nvgBeginFrame are renamed while nanovg.c compiles and defined below under
//   their public names: each runs NanoVG's version, then keeps the colormap
//   stack in step.
// - The fragment shader is NanoVG's own, read back from the compiled shader
//   and edited where the colormap lookup goes, then compiled and swapped into
//   the shader record.

#include <GL/glew.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

// Pictures reach the renderer decoded (LICE bitmaps); no stb_image.
#define NVG_NO_STB
#define nvgSave nvgSave_nanovg
#define nvgRestore nvgRestore_nanovg
#define nvgReset nvgReset_nanovg
#define nvgBeginFrame nvgBeginFrame_nanovg

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wclass-memaccess"
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wmisleading-indentation"
#include "nanovg.c"
#define NANOVG_GL2_IMPLEMENTATION
#include "nanovg_gl.h"
#pragma GCC diagnostic pop

#undef nvgSave
#undef nvgRestore
#undef nvgReset
#undef nvgBeginFrame

#include "graph/NanoVGExt.h"
#include "graph/NanoVGShaderEdits.h"
#include "graph/StripTriangles.h"

extern "C" {
void nvgSave(NVGcontext* ctx);
void nvgRestore(NVGcontext* ctx);
void nvgReset(NVGcontext* ctx);
void nvgBeginFrame(NVGcontext* ctx, float windowWidth, float windowHeight, float devicePixelRatio);
}

namespace
{
constexpr int kMaxWhiteImages = 8;
constexpr int kTrianglesPerFlush = 8192;

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
};

GLNVGextContext* Ext(void* uptr) { return static_cast<GLNVGextContext*>(uptr); }

void ExtRenderFill(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                   float fringe, const float* bounds, const NVGpath* paths, int npaths);

// The extension record behind ctx, or null for a renderer made elsewhere.
GLNVGextContext* ExtOf(NVGcontext* ctx)
{
  if (ctx == nullptr || ctx->params.renderFill != &ExtRenderFill)
    return nullptr;
  return Ext(ctx->params.userPtr);
}

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

int CallColormap(GLNVGextContext* ext, int call)
{
  return call < ext->ccallColormaps ? ext->callColormaps[call] : 0;
}

std::string ShaderSource(GLuint shader)
{
  GLint length = 0;
  glGetShaderiv(shader, GL_SHADER_SOURCE_LENGTH, &length);
  if (length <= 1)
    return std::string();
  std::string source(static_cast<size_t>(length), '\0');
  GLsizei written = 0;
  glGetShaderSource(shader, length, &written, &source[0]);
  source.resize(static_cast<size_t>(written));
  return source;
}

int ExtRenderCreate(void* uptr, void* otherUptr)
{
  GLNVGextContext* ext = Ext(uptr);
  GLNVGcontext* gl = &ext->gl;
  if (glnvg__renderCreate(uptr, otherUptr) == 0)
    return 0;

  // The compiled sources already hold NanoVG's header and options.
  const std::string vert = ShaderSource(gl->shader.vert);
  std::string frag = ShaderSource(gl->shader.frag);
  if (vert.empty() || !NanoVGShaderEdits::AddColormap(frag))
    return 0;

  GLNVGshader shader;
  if (glnvg__createShader(&shader, "shader", "", nullptr, vert.c_str(), frag.c_str()) == 0)
    return 0;
  glnvg__deleteShader(&gl->shader);
  gl->shader = shader;
  glnvg__getUniforms(&gl->shader);
  ext->locColormapTex = glGetUniformLocation(shader.prog, "colormapTex");
  ext->locUseColormap = glGetUniformLocation(shader.prog, "useColormap");
  glnvg__checkError(gl, "colormap uniform locations");

  std::string solidFrag = frag;
  if (!NanoVGShaderEdits::MakeSolid(solidFrag) ||
      glnvg__createShader(&ext->solid, "solid", "", nullptr, vert.c_str(), solidFrag.c_str()) == 0)
    return 0;
  glnvg__getUniforms(&ext->solid);
  glnvg__checkError(gl, "solid uniform locations");
  return 1;
}

void ApplyTexParameters(int imageFlags)
{
  GLint minFilter = (imageFlags & NVG_IMAGE_NEAREST) ? GL_NEAREST : GL_LINEAR;
  if (imageFlags & NVG_IMAGE_GENERATE_MIPMAPS)
    minFilter = (imageFlags & NVG_IMAGE_NEAREST) ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, (imageFlags & NVG_IMAGE_NEAREST) ? GL_NEAREST : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, (imageFlags & NVG_IMAGE_REPEATX) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, (imageFlags & NVG_IMAGE_REPEATY) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
}

int ExtRenderCreateTexture(void* uptr, int type, int w, int h, int imageFlags, const unsigned char* data)
{
  if ((imageFlags & NVG_IMAGE_FLOAT) == 0)
  {
    const int image = glnvg__renderCreateTexture(uptr, type, w, h, imageFlags, data);
    GLNVGextContext* ext = Ext(uptr);
    const bool white = type == NVG_TEXTURE_RGBA && w == 1 && h == 1 && data != nullptr && data[0] == 255 &&
                       data[1] == 255 && data[2] == 255 && data[3] == 255;
    if (image > 0 && white && ext->nwhiteImages < kMaxWhiteImages)
      ext->whiteImages[ext->nwhiteImages++] = image;
    return image;
  }

  // A float image is an RGBA image to the shader (texType 1 leaves the
  // sampled (value, 0, 0, 1) unchanged); only its storage differs.
  GLNVGcontext* gl = &Ext(uptr)->gl;
  GLNVGtexture* tex = glnvg__allocTexture(gl);
  if (tex == nullptr)
    return 0;
  glGenTextures(1, &tex->tex);
  tex->width = w;
  tex->height = h;
  tex->type = NVG_TEXTURE_RGBA;
  tex->flags = imageFlags;
  glnvg__bindTexture(gl, tex->tex);

  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, w);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  if (imageFlags & NVG_IMAGE_GENERATE_MIPMAPS)
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, w, h, 0, GL_RED, GL_FLOAT, data);
  ApplyTexParameters(imageFlags);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);

  glnvg__checkError(gl, "create float tex");
  glnvg__bindTexture(gl, 0);
  return tex->id;
}

// Forgets image as a white one (it is being changed or deleted).
void ForgetWhiteImage(GLNVGextContext* ext, int image)
{
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

int ExtRenderDeleteTexture(void* uptr, int image)
{
  ForgetWhiteImage(Ext(uptr), image);
  return glnvg__renderDeleteTexture(uptr, image);
}

int ExtRenderUpdateTexture(void* uptr, int image, int x, int y, int w, int h, const unsigned char* data)
{
  ForgetWhiteImage(Ext(uptr), image);
  GLNVGcontext* gl = &Ext(uptr)->gl;
  GLNVGtexture* tex = glnvg__findTexture(gl, image);
  if (tex == nullptr || (tex->flags & NVG_IMAGE_FLOAT) == 0)
    return glnvg__renderUpdateTexture(uptr, image, x, y, w, h, data);

  glnvg__bindTexture(gl, tex->tex);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, tex->width);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, x);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, y);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RED, GL_FLOAT, data);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glnvg__bindTexture(gl, 0);
  return 1;
}

void ExtRenderFill(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                   float fringe, const float* bounds, const NVGpath* paths, int npaths)
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

void ExtRenderStroke(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                     float fringe, float strokeWidth, const NVGpath* paths, int npaths)
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

bool NoScissor(const GLNVGfragUniforms* frag)
{
  for (float m : frag->scissorMat)
    if (m != 0.0f)
      return false;
  return frag->scissorExt[0] == 1.0f && frag->scissorExt[1] == 1.0f && frag->scissorScale[0] == 1.0f &&
         frag->scissorScale[1] == 1.0f;
}

// Whether the solid program draws call as NanoVG's shader would.
bool DrawsSolid(const GLNVGextContext* ext, const GLNVGcall* call)
{
  const GLNVGcontext* gl = &ext->gl;
  const GLNVGfragUniforms* frag =
      reinterpret_cast<const GLNVGfragUniforms*>(&gl->uniforms[call->uniformOffset]);
  if (!NoScissor(frag))
    return false;
  if (call->type == GLNVG_STROKE)
    return (gl->flags & NVG_STENCIL_STROKES) == 0 && call->image == 0 &&
           frag->type == static_cast<float>(NSVG_SHADER_FILLGRAD) && frag->strokeThr < 0.0f &&
           memcmp(&frag->innerCol, &frag->outerCol, sizeof(NVGcolor)) == 0;
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
  const GLNVGfragUniforms* frag =
      reinterpret_cast<const GLNVGfragUniforms*>(&gl->uniforms[call->uniformOffset]);
  glUniform4fv(ext->solid.loc[GLNVG_LOC_FRAG], NANOVG_GL_UNIFORMARRAY_SIZE, &frag->uniformArray[0][0]);
  if (call->type == GLNVG_TRIANGLES)
  {
    glDrawArrays(GL_TRIANGLES, call->triangleOffset, call->triangleCount);
    return;
  }
  DrawStrips(ext, call);
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
  glBufferData(GL_ARRAY_BUFFER, gl->nverts * sizeof(NVGvertex), gl->verts, GL_STREAM_DRAW);
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

  gl->nverts = 0;
  gl->npaths = 0;
  gl->ncalls = 0;
  gl->nuniforms = 0;
}

void ExtRenderDelete(void* uptr)
{
  GLNVGextContext* ext = Ext(uptr);
  if (ext == nullptr)
    return;
  free(ext->callColormaps);
  ext->callColormaps = nullptr;
  free(ext->indices);
  ext->indices = nullptr;
  glnvg__deleteShader(&ext->solid);
  glnvg__renderDelete(uptr);
}
} // namespace

// --- The renamed state functions, with the colormap stack kept in step ---

extern "C" void nvgSave(NVGcontext* ctx)
{
  const int before = ctx->nstates;
  nvgSave_nanovg(ctx);
  GLNVGextContext* ext = ExtOf(ctx);
  if (ext != nullptr && ctx->nstates > before)
    ext->stateColormaps[ctx->nstates - 1] = before > 0 ? ext->stateColormaps[before - 1] : 0;
}

extern "C" void nvgRestore(NVGcontext* ctx)
{
  // The level below keeps its own colormap: popping brings it back.
  nvgRestore_nanovg(ctx);
}

extern "C" void nvgReset(NVGcontext* ctx)
{
  nvgReset_nanovg(ctx);
  GLNVGextContext* ext = ExtOf(ctx);
  if (ext != nullptr && ctx->nstates > 0)
    ext->stateColormaps[ctx->nstates - 1] = 0;
}

extern "C" void nvgBeginFrame(NVGcontext* ctx, float windowWidth, float windowHeight, float devicePixelRatio)
{
  nvgBeginFrame_nanovg(ctx, windowWidth, windowHeight, devicePixelRatio);
  GLNVGextContext* ext = ExtOf(ctx);
  if (ext != nullptr)
    ext->stateColormaps[0] = 0;
}

// --- Public additions ---

NVGcontext* nvgCreateGL2Ext(int flags)
{
  GLNVGextContext* ext = static_cast<GLNVGextContext*>(calloc(1, sizeof(GLNVGextContext)));
  if (ext == nullptr)
    return nullptr;
  ext->locColormapTex = -1;
  ext->locUseColormap = -1;

  NVGparams params;
  memset(&params, 0, sizeof(params));
  params.renderCreate = ExtRenderCreate;
  params.renderCreateTexture = ExtRenderCreateTexture;
  params.renderDeleteTexture = ExtRenderDeleteTexture;
  params.renderUpdateTexture = ExtRenderUpdateTexture;
  params.renderGetTextureSize = glnvg__renderGetTextureSize;
  params.renderViewport = glnvg__renderViewport;
  params.renderCancel = glnvg__renderCancel;
  params.renderFlush = ExtRenderFlush;
  params.renderFill = ExtRenderFill;
  params.renderStroke = ExtRenderStroke;
  params.renderTriangles = ExtRenderTriangles;
  params.renderDelete = ExtRenderDelete;
  params.userPtr = ext;
  params.edgeAntiAlias = (flags & NVG_ANTIALIAS) ? 1 : 0;
  ext->gl.flags = flags;

  // On failure nvgCreateInternal deletes the context, which frees ext.
  NVGcontext* ctx = nvgCreateInternal(&params, nullptr);
  if (ctx == nullptr)
    return nullptr;
  ext->ctx = ctx;
  return ctx;
}

void nvgDeleteGL2Ext(NVGcontext* ctx) { nvgDeleteInternal(ctx); }

void nvgQuad(NVGcontext* ctx, const double corners[8], int image)
{
  if (ctx == nullptr || corners == nullptr)
    return;
  NVGvertex* verts = nvg__allocTempVerts(ctx, 6);
  if (verts == nullptr)
    return;
  NVGstate* state = nvg__getState(ctx);

  float p[8];
  for (int i = 0; i < 4; i++)
    nvgTransformPoint(&p[2 * i], &p[2 * i + 1], state->xform, static_cast<float>(corners[2 * i]),
                      static_cast<float>(corners[2 * i + 1]));

  // P0 P2 P1 and P0 P3 P2: counter-clockwise on screen, so not culled.
  nvg__vset(&verts[0], p[0], p[1], 0.0f, 0.0f);
  nvg__vset(&verts[1], p[4], p[5], 1.0f, 1.0f);
  nvg__vset(&verts[2], p[2], p[3], 1.0f, 0.0f);
  nvg__vset(&verts[3], p[0], p[1], 0.0f, 0.0f);
  nvg__vset(&verts[4], p[6], p[7], 0.0f, 1.0f);
  nvg__vset(&verts[5], p[4], p[5], 1.0f, 1.0f);

  NVGpaint paint = state->fill;
  if (image >= 0)
    paint.image = image;
  // This NanoVG keeps the global alpha as the tint's alpha; the whole tint
  // applies, as for fills and text.
  for (int i = 0; i < 4; i++)
  {
    paint.innerColor.rgba[i] *= state->tint.rgba[i];
    paint.outerColor.rgba[i] *= state->tint.rgba[i];
  }

  ctx->params.renderTriangles(ctx->params.userPtr, &paint, state->compositeOperation, &state->scissor, verts, 6,
                              ctx->fringeWidth);
  ctx->drawCallCount++;
  ctx->textTriCount += 2;
}

void nvgSetColormap(NVGcontext* ctx, int image)
{
  GLNVGextContext* ext = ExtOf(ctx);
  if (ext != nullptr && ctx->nstates > 0)
    ext->stateColormaps[ctx->nstates - 1] = image;
}

int nvgGetColormap(NVGcontext* ctx)
{
  GLNVGextContext* ext = ExtOf(ctx);
  return ext != nullptr ? CurrentColormap(ext) : 0;
}
