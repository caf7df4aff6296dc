// What the drawer hands to the vector renderer in each mode, recorded by a
// renderer back end that draws nothing (no GL needed).
#include "view3d/LinesRender.h"

#include "graph/NanoVGExt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
struct Stroke
{
  NVGcolor color;
  float width;
  int npaths;
  std::vector<int> pointCounts;
  float minX, minY, maxX, maxY; // of the tessellated stroke
};

struct Triangles
{
  NVGcolor color;
  int image;
  std::vector<NVGvertex> verts;
};

struct Texture
{
  int type, w, h, flags;
  std::vector<unsigned char> data;
};

struct Recording
{
  std::vector<Stroke> strokes;
  std::vector<Triangles> triangles;
  std::vector<Texture> textures;
  int fills = 0;
};

int RenderCreate(void*, void*) { return 1; }
int CreateTexture(void* u, int type, int w, int h, int flags, const unsigned char* data)
{
  auto* rec = static_cast<Recording*>(u);
  Texture t{type, w, h, flags, {}};
  if (data)
    t.data.assign(data, data + w * h * (type == NVG_TEXTURE_RGBA ? 4 : 1));
  rec->textures.push_back(t);
  return static_cast<int>(rec->textures.size());
}
int DeleteTexture(void*, int) { return 1; }
int UpdateTexture(void*, int, int, int, int, int, const unsigned char*) { return 1; }
int GetTextureSize(void* u, int image, int* w, int* h)
{
  auto* rec = static_cast<Recording*>(u);
  if (image < 1 || image > static_cast<int>(rec->textures.size()))
    return 0;
  *w = rec->textures[static_cast<size_t>(image - 1)].w;
  *h = rec->textures[static_cast<size_t>(image - 1)].h;
  return 1;
}
void Viewport(void*, float, float, float) {}
void Cancel(void*) {}
void Flush(void*) {}
void Fill(void* u, NVGpaint*, NVGcompositeOperationState, NVGscissor*, float, const float*, const NVGpath*, int)
{
  static_cast<Recording*>(u)->fills++;
}
void StrokeCb(void* u, NVGpaint* paint, NVGcompositeOperationState, NVGscissor*, float, float width,
              const NVGpath* paths, int npaths)
{
  Stroke s{paint->innerColor, width, npaths, {}, FLT_MAX, FLT_MAX, -FLT_MAX, -FLT_MAX};
  for (int i = 0; i < npaths; i++)
  {
    s.pointCounts.push_back(paths[i].count);
    for (int v = 0; v < paths[i].nstroke; v++)
    {
      s.minX = std::min(s.minX, paths[i].stroke[v].x);
      s.maxX = std::max(s.maxX, paths[i].stroke[v].x);
      s.minY = std::min(s.minY, paths[i].stroke[v].y);
      s.maxY = std::max(s.maxY, paths[i].stroke[v].y);
    }
  }
  static_cast<Recording*>(u)->strokes.push_back(s);
}
void TrianglesCb(void* u, NVGpaint* paint, NVGcompositeOperationState, NVGscissor*, const NVGvertex* verts,
                 int nverts, float)
{
  static_cast<Recording*>(u)->triangles.push_back(
    {paint->innerColor, paint->image, std::vector<NVGvertex>(verts, verts + nverts)});
}
void RenderDelete(void*) {}

class RecordingRenderer
{
public:
  RecordingRenderer()
  {
    NVGparams params;
    std::memset(&params, 0, sizeof(params));
    params.userPtr = &rec;
    params.edgeAntiAlias = 1;
    params.renderCreate = RenderCreate;
    params.renderCreateTexture = CreateTexture;
    params.renderDeleteTexture = DeleteTexture;
    params.renderUpdateTexture = UpdateTexture;
    params.renderGetTextureSize = GetTextureSize;
    params.renderViewport = Viewport;
    params.renderCancel = Cancel;
    params.renderFlush = Flush;
    params.renderFill = Fill;
    params.renderStroke = StrokeCb;
    params.renderTriangles = TrianglesCb;
    params.renderDelete = RenderDelete;
    vg = nvgCreateInternal(&params, nullptr);
  }
  ~RecordingRenderer()
  {
    if (vg)
      nvgDeleteInternal(vg);
  }
  // One frame of the drawer; the font atlas texture made at creation is
  // not counted.
  void Frame(LinesRender& lines, int width, int height)
  {
    rec.strokes.clear();
    rec.triangles.clear();
    rec.fills = 0;
    nvgBeginFrame(vg, static_cast<float>(width), static_cast<float>(height), 1.0f);
    lines.PreDraw(vg, width, height);
    nvgEndFrame(vg);
  }

  Recording rec;
  NVGcontext* vg = nullptr;
};

// Renderer colours as 0..255 components.
void ExpectColor(const NVGcolor& c, int r, int g, int b, int a)
{
  EXPECT_NEAR(c.r * 255.0f, r, 0.5f);
  EXPECT_NEAR(c.g * 255.0f, g, 0.5f);
  EXPECT_NEAR(c.b * 255.0f, b, 0.5f);
  EXPECT_NEAR(c.a * 255.0f, a, 0.5f);
}

constexpr int kW = 800, kH = 410;

// Smooth hills, so that stroke joins stay close to the points.
void FillHillyHistory(LinesRender& lines)
{
  for (int k = 0; k < LinesRender::kMaxNumLines; k++)
  {
    std::vector<Point3D> line(1024);
    for (int i = 0; i < 1024; i++)
      line[static_cast<size_t>(i)] = {i / 1024.0 - 0.5, 0.2 + 0.2 * std::sin(i * 0.012 + k * 0.3), 0.0};
    lines.AddPoints(line);
  }
}
} // namespace

TEST(LinesRenderDraw, FreqModeStrokesEachLineTwiceWideColouredThenNarrowWhite)
{
  RecordingRenderer r;
  ASSERT_NE(r.vg, nullptr);
  LinesRender lines;
  lines.SetCameraAngles(0.0, 15.0);
  FillHillyHistory(lines);
  lines.SetMode(0);
  lines.SetDensity(0.0);
  r.Frame(lines, kW, kH);

  EXPECT_EQ(lines.GetWidth(), kW);
  EXPECT_EQ(lines.GetHeight(), kH);
  ASSERT_EQ(r.rec.strokes.size(), 32u);
  EXPECT_TRUE(r.rec.triangles.empty());
  EXPECT_EQ(r.rec.fills, 0);
  for (size_t s = 0; s < 32; s++)
  {
    const Stroke& st = r.rec.strokes[s];
    const bool wide = s < 16;
    // (128, 128, 255) handed over as nvgRGBA(c2, c1, c0, c3).
    if (wide)
      ExpectColor(st.color, 255, 128, 128, 255);
    else
      ExpectColor(st.color, 255, 255, 255, 255);
    EXPECT_FLOAT_EQ(st.width, wide ? 3.0f : 1.0f);
    ASSERT_EQ(st.npaths, 1);
    EXPECT_EQ(st.pointCounts[0], 256);

    // The stroke covers the projected line and not much more.
    const int li = static_cast<int>(s % 16);
    const Point3D* p = lines.GetProjectedLine(li);
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (int i = 0; i < 256; i++)
    {
      minX = std::min(minX, p[i].x), maxX = std::max(maxX, p[i].x);
      minY = std::min(minY, p[i].y), maxY = std::max(maxY, p[i].y);
    }
    const double margin = st.width * 0.5 + 1.5;
    EXPECT_NEAR(st.minX, minX, margin) << s;
    EXPECT_NEAR(st.maxX, maxX, margin) << s;
    EXPECT_NEAR(st.minY, minY, margin) << s;
    EXPECT_NEAR(st.maxY, maxY, margin) << s;
  }
}

TEST(LinesRenderDraw, TimeModeStrokesDensityPolylinesAcrossAllSixtyFourLines)
{
  RecordingRenderer r;
  LinesRender lines;
  lines.SetCameraAngles(0.0, 15.0);
  FillHillyHistory(lines);
  lines.SetMode(1);
  lines.SetDensity(0.5);
  r.Frame(lines, kW, kH);

  ASSERT_EQ(r.rec.strokes.size(), 80u);
  for (size_t s = 0; s < 80; s++)
  {
    const Stroke& st = r.rec.strokes[s];
    EXPECT_FLOAT_EQ(st.width, s < 40 ? 3.0f : 1.0f);
    if (s < 40)
      ExpectColor(st.color, 255, 128, 128, 255);
    else
      ExpectColor(st.color, 255, 255, 255, 255);
    ASSERT_EQ(st.npaths, 1);
    EXPECT_EQ(st.pointCounts[0], 64) << s;

    // Polyline j runs from line 0's point j (front) to line 63's (back).
    const int j = static_cast<int>(s % 40);
    const double front = lines.GetProjectedLine(0)[j].y;
    const double back = lines.GetProjectedLine(63)[j].y;
    EXPECT_LE(st.minY, std::min(front, back) + 0.01);
    EXPECT_GE(st.maxY, std::max(front, back) - 0.01);
  }
}

TEST(LinesRenderDraw, PointsModeDrawsCentredSquaresWithOneWhiteImage)
{
  RecordingRenderer r;
  LinesRender lines;
  lines.SetCameraAngles(0.0, 15.0);
  FillHillyHistory(lines);
  lines.SetMode(2);
  lines.SetDensity(0.0);
  const size_t fontTextures = r.rec.textures.size();
  r.Frame(lines, kW, kH);

  ASSERT_EQ(r.rec.textures.size(), fontTextures + 1);
  const Texture& white = r.rec.textures.back();
  EXPECT_EQ(white.type, NVG_TEXTURE_RGBA);
  EXPECT_EQ(white.w, 1);
  EXPECT_EQ(white.h, 1);
  EXPECT_EQ(white.flags, NVG_IMAGE_NEAREST);
  EXPECT_EQ(white.data, std::vector<unsigned char>(4, 255));
  const int whiteId = static_cast<int>(r.rec.textures.size());
  EXPECT_EQ(lines.GetWhiteImage(), whiteId);

  EXPECT_TRUE(r.rec.strokes.empty());
  ASSERT_EQ(r.rec.triangles.size(), 2u * 16 * 16);
  for (size_t q = 0; q < r.rec.triangles.size(); q++)
  {
    const Triangles& t = r.rec.triangles[q];
    const bool wide = q < 256;
    if (wide)
      ExpectColor(t.color, 255, 128, 128, 255);
    else
      ExpectColor(t.color, 255, 255, 255, 255);
    EXPECT_EQ(t.image, whiteId);
    ASSERT_EQ(t.verts.size(), 6u);

    const int li = static_cast<int>((q % 256) / 16), pi = static_cast<int>(q % 16);
    const Point3D& p = lines.GetProjectedLine(li)[pi];
    const double half = wide ? 1.5 : 1.0;
    float minX = FLT_MAX, maxX = -FLT_MAX, minY = FLT_MAX, maxY = -FLT_MAX;
    for (const NVGvertex& v : t.verts)
    {
      minX = std::min(minX, v.x), maxX = std::max(maxX, v.x);
      minY = std::min(minY, v.y), maxY = std::max(maxY, v.y);
    }
    ASSERT_NEAR(minX, p.x - half, 1e-3) << q;
    ASSERT_NEAR(maxX, p.x + half, 1e-3) << q;
    ASSERT_NEAR(minY, p.y - half, 1e-3) << q;
    ASSERT_NEAR(maxY, p.y + half, 1e-3) << q;
  }

  // The image is made once and kept.
  r.Frame(lines, kW, kH);
  EXPECT_EQ(r.rec.textures.size(), fontTextures + 1);
  EXPECT_EQ(r.rec.triangles.front().image, whiteId);
}

TEST(LinesRenderDraw, OtherModesDrawNothingAndEveryModeRestoresTheRendererState)
{
  RecordingRenderer r;
  LinesRender lines;
  lines.SetCameraAngles(0.0, 15.0);
  for (int mode : {0, 1, 2, 3, -1})
  {
    lines.SetMode(mode);
    r.rec.strokes.clear();
    r.rec.triangles.clear();
    nvgBeginFrame(r.vg, kW, kH, 1.0f);
    nvgStrokeColor(r.vg, nvgRGBA(10, 20, 30, 255));
    nvgStrokeWidth(r.vg, 7.0f);
    lines.PreDraw(r.vg, kW, kH);
    if (mode < 0 || mode > 2)
    {
      EXPECT_TRUE(r.rec.strokes.empty()) << mode;
      EXPECT_TRUE(r.rec.triangles.empty()) << mode;
    }
    else
      EXPECT_FALSE(r.rec.strokes.empty() && r.rec.triangles.empty()) << mode;

    // The caller's stroke settings are back after the drawer.
    r.rec.strokes.clear();
    nvgBeginPath(r.vg);
    nvgMoveTo(r.vg, 1, 1);
    nvgLineTo(r.vg, 50, 50);
    nvgStroke(r.vg);
    nvgEndFrame(r.vg);
    ASSERT_EQ(r.rec.strokes.size(), 1u) << mode;
    ExpectColor(r.rec.strokes[0].color, 10, 20, 30, 255);
    EXPECT_FLOAT_EQ(r.rec.strokes[0].width, 7.0f) << mode;
  }
}

TEST(LinesRenderDraw, NoRendererOrNoAreaDrawsNothing)
{
  RecordingRenderer r;
  LinesRender lines;
  lines.SetMode(0);
  lines.PreDraw(nullptr, kW, kH);
  EXPECT_EQ(lines.GetWidth(), kW);
  r.Frame(lines, 0, kH);
  EXPECT_TRUE(r.rec.strokes.empty());
  r.Frame(lines, kW, -3);
  EXPECT_TRUE(r.rec.strokes.empty());
}
