// The one translation unit that compiles NanoVG and its GL2 back end
// (NanoVGBackEnd.h), with this system's additions around their internals
// (see NanoVGExt.h). The parts that reach those internals are headers of this
// unit: the record (NanoVGExtContext.h), how calls are recorded
// (NanoVGExtCalls.h) and the flush (NanoVGExtFlush.h, NanoVGExtSolid.h).
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

// First: NanoVG itself, with the renames the other headers rely on.
#include "graph/NanoVGBackEnd.h"

#include "graph/NanoVGExt.h"
#include "graph/NanoVGExtCalls.h"
#include "graph/NanoVGExtContext.h"
#include "graph/NanoVGExtFlush.h"
#include "graph/NanoVGShaderEdits.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// The extension record behind ctx, or null for a renderer made elsewhere.
GLNVGextContext* ExtOf(NVGcontext* ctx)
{
  if (ctx == nullptr || ctx->params.renderFill != &ExtRenderFill)
    return nullptr;
  return Ext(ctx->params.userPtr);
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
    ext->imagesChanged = 1;
    return image;
  }

  // A float image is an RGBA image to the shader (texType 1 leaves the
  // sampled (value, 0, 0, 1) unchanged); only its storage differs.
  Ext(uptr)->imagesChanged = 1;
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

void ExtRenderCancel(void* uptr)
{
  GLNVGextContext* ext = Ext(uptr);
  if (ext->frameCompared != 0 && ext->frameDiffers != 0)
    ext->nlastVerts = -1;
  ext->frameCompared = 0;
  ext->tradeVerts = 0;
  glnvg__renderCancel(uptr);
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
  free(ext->lastFrame);
  ext->lastFrame = nullptr;
  free(ext->lastVerts);
  ext->lastVerts = nullptr;
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
  {
    ext->stateColormaps[0] = 0;
    ext->frameCompared = 0;
    ext->tradeVerts = 0;
  }
}

// --- Public additions ---

NVGcontext* nvgCreateGL2Ext(int flags)
{
  GLNVGextContext* ext = static_cast<GLNVGextContext*>(calloc(1, sizeof(GLNVGextContext)));
  if (ext == nullptr)
    return nullptr;
  ext->locColormapTex = -1;
  ext->locUseColormap = -1;
  ext->nlastVerts = -1;

  NVGparams params;
  memset(&params, 0, sizeof(params));
  params.renderCreate = ExtRenderCreate;
  params.renderCreateTexture = ExtRenderCreateTexture;
  params.renderDeleteTexture = ExtRenderDeleteTexture;
  params.renderUpdateTexture = ExtRenderUpdateTexture;
  params.renderGetTextureSize = glnvg__renderGetTextureSize;
  params.renderViewport = glnvg__renderViewport;
  params.renderCancel = ExtRenderCancel;
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
  for (size_t i = 0; i < 4; i++)
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

namespace
{
// The bytes of one frame's record, compared with the last frame's while
// they are written over it.
class FrameRecord
{
public:
  FrameRecord(GLNVGextContext* ext, size_t size) : mExt(ext), mOldSize(ext->nlastFrame)
  {
    if (size > ext->clastFrame)
    {
      auto* grown = static_cast<unsigned char*>(realloc(ext->lastFrame, size));
      if (grown == nullptr)
      {
        mFailed = true;
        ext->nlastFrame = 0; // nothing kept to compare with
        return;
      }
      ext->lastFrame = grown;
      ext->clastFrame = size;
    }
    mSame = size == mOldSize;
    ext->nlastFrame = size;
  }

  void Add(const void* bytes, size_t n)
  {
    if (mFailed || n == 0)
      return;
    unsigned char* at = mExt->lastFrame + mAt;
    if (mSame && std::memcmp(at, bytes, n) == 0)
    {
      mAt += n;
      return;
    }
    mSame = false;
    std::memcpy(at, bytes, n);
    mAt += n;
  }

  bool Same() const { return !mFailed && mSame; }

private:
  GLNVGextContext* mExt;
  size_t mOldSize;
  size_t mAt = 0;
  bool mSame = false;
  bool mFailed = false;
};
} // namespace

bool nvgFrameRepeatsLast(NVGcontext* ctx)
{
  GLNVGextContext* ext = ExtOf(ctx);
  if (ext == nullptr)
    return false;
  const GLNVGcontext* gl = &ext->gl;
  // Vertices, the bulk: compared here, kept after the flush (ExtRenderFlush).
  const bool sameVerts = ext->nlastVerts == gl->nverts &&
                         (gl->nverts == 0 || std::memcmp(ext->lastVerts, gl->verts,
                                                         sizeof(NVGvertex) * static_cast<size_t>(gl->nverts)) == 0);
  ext->frameCompared = 1;
  ext->tradeVerts = sameVerts ? 0 : 1;
  const int counts[4] = {gl->nverts, gl->npaths, gl->ncalls, gl->nuniforms};
  const size_t uniformSize = sizeof(GLNVGfragUniforms);
  const size_t size = sizeof counts + sizeof gl->view + sizeof(GLNVGpath) * static_cast<size_t>(gl->npaths) +
                      (sizeof(GLNVGcall) + sizeof(int)) * static_cast<size_t>(gl->ncalls) +
                      uniformSize * static_cast<size_t>(gl->nuniforms);
  FrameRecord record(ext, size);
  record.Add(counts, sizeof counts);
  record.Add(gl->view, sizeof gl->view);
  record.Add(gl->paths, sizeof(GLNVGpath) * static_cast<size_t>(gl->npaths));
  record.Add(gl->calls, sizeof(GLNVGcall) * static_cast<size_t>(gl->ncalls));
  for (int i = 0; i < gl->ncalls; i++)
  {
    const int colormap = CallColormap(ext, i);
    record.Add(&colormap, sizeof colormap);
  }
  // Only the bytes of each block that NanoVG writes (blocks are padded).
  for (int i = 0; i < gl->nuniforms; i++)
    record.Add(gl->uniforms + static_cast<size_t>(i) * static_cast<size_t>(gl->fragSize), uniformSize);
  const bool same = sameVerts && record.Same() && ext->imagesChanged == 0;
  ext->imagesChanged = 0;
  ext->frameDiffers = same ? 0 : 1;
  return same;
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
