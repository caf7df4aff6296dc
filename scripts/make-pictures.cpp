// Draws the editor's pictures (resources/img/*.png): a dark, clean panel,
// a blue 180-frame knob filmstrip, radio buttons and their glows, the three
// size buttons, the help button, the value field, the logo and the product
// name. Shapes are drawn from distance functions with one pixel of
// anti-aliasing; text comes from DejaVu Sans through FreeType.
//
// Build and run with scripts/make-pictures.sh.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr double kPi = 3.14159265358979323846;

struct Colour
{
  double r, g, b, a;
};

Colour Rgb(int r, int g, int b, double a = 1.0) { return {r / 255.0, g / 255.0, b / 255.0, a}; }

// Straight (not premultiplied) RGBA, 0..1.
class Canvas
{
public:
  Canvas(int w, int h) : mW(w), mH(h), mPixels(static_cast<size_t>(w) * h, Colour{0, 0, 0, 0}) {}

  int W() const { return mW; }
  int H() const { return mH; }
  Colour& At(int x, int y) { return mPixels[static_cast<size_t>(y) * mW + x]; }

  // Source-over with the colour's alpha times coverage.
  void Blend(int x, int y, Colour c, double coverage)
  {
    if (x < 0 || y < 0 || x >= mW || y >= mH)
      return;
    const double a = std::clamp(c.a * coverage, 0.0, 1.0);
    if (a <= 0.0)
      return;
    Colour& d = At(x, y);
    const double outA = a + d.a * (1.0 - a);
    if (outA <= 0.0)
      return;
    d.r = (c.r * a + d.r * d.a * (1.0 - a)) / outA;
    d.g = (c.g * a + d.g * d.a * (1.0 - a)) / outA;
    d.b = (c.b * a + d.b * d.a * (1.0 - a)) / outA;
    d.a = outA;
  }

  // Fills where the signed distance (pixels, negative inside) says so;
  // the colour may depend on the position.
  void Shape(int x0, int y0, int x1, int y1, const std::function<double(double, double)>& sdf,
             const std::function<Colour(double, double)>& colour)
  {
    for (int y = std::max(0, y0); y < std::min(mH, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(mW, x1); ++x)
      {
        const double px = x + 0.5, py = y + 0.5;
        const double coverage = std::clamp(0.5 - sdf(px, py), 0.0, 1.0);
        if (coverage > 0.0)
          Blend(x, y, colour(px, py), coverage);
      }
  }

  void Shape(int x0, int y0, int x1, int y1, const std::function<double(double, double)>& sdf, Colour c)
  {
    Shape(x0, y0, x1, y1, sdf, [c](double, double) { return c; });
  }

  bool Write(const std::string& path) const
  {
    std::vector<uint8_t> bytes(mPixels.size() * 4);
    for (size_t i = 0; i < mPixels.size(); ++i)
    {
      const Colour& c = mPixels[i];
      bytes[i * 4 + 0] = static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0, 1.0) * 255.0));
      bytes[i * 4 + 1] = static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0, 1.0) * 255.0));
      bytes[i * 4 + 2] = static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0, 1.0) * 255.0));
      bytes[i * 4 + 3] = static_cast<uint8_t>(std::lround(std::clamp(c.a, 0.0, 1.0) * 255.0));
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(mW);
    image.height = static_cast<png_uint_32>(mH);
    image.format = PNG_FORMAT_RGBA;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), mW * 4, nullptr) != 0;
    if (!ok)
      std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), image.message);
    return ok;
  }

  // Pastes another canvas at (x, y) (frames of a filmstrip).
  void Paste(const Canvas& c, int x, int y)
  {
    for (int j = 0; j < c.mH; ++j)
      for (int i = 0; i < c.mW; ++i)
        if (x + i >= 0 && x + i < mW && y + j >= 0 && y + j < mH)
          At(x + i, y + j) = c.mPixels[static_cast<size_t>(j) * c.mW + i];
  }

private:
  int mW, mH;
  std::vector<Colour> mPixels;
};

double Circle(double x, double y, double cx, double cy, double r) { return std::hypot(x - cx, y - cy) - r; }

double Ring(double x, double y, double cx, double cy, double r, double width)
{
  return std::fabs(std::hypot(x - cx, y - cy) - r) - width / 2.0;
}

double RoundRect(double x, double y, double l, double t, double r, double b, double radius)
{
  const double cx = (l + r) / 2, cy = (t + b) / 2;
  const double hx = (r - l) / 2 - radius, hy = (b - t) / 2 - radius;
  const double qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

double Segment(double x, double y, double ax, double ay, double bx, double by, double width)
{
  const double px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
  const double len2 = dx * dx + dy * dy;
  const double h = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
  return std::hypot(px - dx * h, py - dy * h) - width / 2.0;
}

// An arc of radius r around (cx, cy) from angle a0 to a1 (radians from
// twelve o'clock, clockwise) with round ends.
double Arc(double x, double y, double cx, double cy, double r, double a0, double a1, double width)
{
  const double angle = std::atan2(x - cx, -(y - cy));
  if (angle >= a0 && angle <= a1)
    return std::fabs(std::hypot(x - cx, y - cy) - r) - width / 2.0;
  const double e0 = std::hypot(x - (cx + r * std::sin(a0)), y - (cy - r * std::cos(a0)));
  const double e1 = std::hypot(x - (cx + r * std::sin(a1)), y - (cy - r * std::cos(a1)));
  return std::min(e0, e1) - width / 2.0;
}

double Smoothstep(double e0, double e1, double x)
{
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

Colour Mix(Colour a, Colour b, double t)
{
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// --- Text ---

class Font
{
public:
  Font(const char* file)
  {
    if (FT_Init_FreeType(&mLibrary) || FT_New_Face(mLibrary, file, 0, &mFace))
    {
      std::fprintf(stderr, "cannot load %s\n", file);
      mFace = nullptr;
    }
  }
  ~Font()
  {
    if (mFace)
      FT_Done_Face(mFace);
    FT_Done_FreeType(mLibrary);
  }
  bool Ok() const { return mFace != nullptr; }

  int Width(const char* text, int size)
  {
    FT_Set_Pixel_Sizes(mFace, 0, static_cast<FT_UInt>(size));
    long pen = 0;
    for (const char* s = text; *s; ++s)
      if (!FT_Load_Char(mFace, static_cast<unsigned char>(*s), FT_LOAD_DEFAULT))
        pen += mFace->glyph->advance.x;
    return static_cast<int>((pen + 63) >> 6);
  }

  // Draws ASCII text with its baseline at y; returns the pen's end.
  int Draw(Canvas& canvas, const char* text, int size, int x, int y, Colour c)
  {
    FT_Set_Pixel_Sizes(mFace, 0, static_cast<FT_UInt>(size));
    long pen = static_cast<long>(x) << 6;
    for (const char* s = text; *s; ++s)
    {
      if (FT_Load_Char(mFace, static_cast<unsigned char>(*s), FT_LOAD_RENDER))
        continue;
      const FT_GlyphSlot g = mFace->glyph;
      const int gx = static_cast<int>(pen >> 6) + g->bitmap_left, gy = y - g->bitmap_top;
      for (unsigned row = 0; row < g->bitmap.rows; ++row)
        for (unsigned col = 0; col < g->bitmap.width; ++col)
          canvas.Blend(gx + static_cast<int>(col), gy + static_cast<int>(row), c,
                       g->bitmap.buffer[row * g->bitmap.pitch + col] / 255.0);
      pen += g->advance.x;
    }
    return static_cast<int>(pen >> 6);
  }

private:
  FT_Library mLibrary = nullptr;
  FT_Face mFace = nullptr;
};

// --- The pictures ---

const Colour kBlue = Rgb(64, 156, 255);
const Colour kBlueLight = Rgb(150, 200, 255);

Canvas Background()
{
  Canvas c(800, 555);
  uint32_t seed = 12345;
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x)
    {
      // Graph area (behind the 3-D view), then the control panel below it.
      Colour top = y < 408 ? Rgb(12, 13, 15) : Mix(Rgb(33, 35, 40), Rgb(20, 21, 25), (y - 408) / 147.0);
      seed = seed * 1664525u + 1013904223u;
      const double grain = ((seed >> 24) / 255.0 - 0.5) * (y < 408 ? 0.004 : 0.012);
      c.At(x, y) = {top.r + grain, top.g + grain, top.b + grain, 1.0};
    }
  // A thin highlight where the panel starts.
  for (int x = 0; x < c.W(); ++x)
    c.Blend(x, 408, Rgb(70, 74, 84), 0.8);
  return c;
}

// The pictures are drawn one shape a line, laid out by hand.
// clang-format off
Canvas KnobFrame(double value)
{
  Canvas c(40, 40);
  const double cx = 20, cy = 20;
  const double a0 = -0.75 * kPi, a1 = 0.75 * kPi, av = a0 + (a1 - a0) * value;
  // Track, then the value's arc in blue.
  c.Shape(0, 0, 40, 40, [&](double x, double y) { return Arc(x, y, cx, cy, 16.5, a0, a1, 3.0); }, Rgb(46, 49, 56));
  if (value > 0.0)
    c.Shape(0, 0, 40, 40, [&](double x, double y) { return Arc(x, y, cx, cy, 16.5, a0, av, 3.0); },
            [&](double x, double y) {
              const double t = (std::atan2(x - cx, -(y - cy)) - a0) / (a1 - a0);
              return Mix(Rgb(40, 110, 220), kBlue, std::clamp(t, 0.0, 1.0));
            });
  // Body: a soft shadow, a graded disc and a rim.
  c.Shape(0, 0, 40, 40, [&](double x, double y) { return Circle(x, y, cx, cy + 1.0, 13.0); }, Rgb(0, 0, 0, 0.45));
  c.Shape(0, 0, 40, 40, [&](double x, double y) { return Circle(x, y, cx, cy, 12.0); },
          [&](double, double y) { return Mix(Rgb(72, 76, 86), Rgb(34, 36, 42), std::clamp((y - 8.0) / 24.0, 0.0, 1.0)); });
  c.Shape(0, 0, 40, 40, [&](double x, double y) { return Ring(x, y, cx, cy, 11.5, 1.0); }, Rgb(95, 100, 112, 0.8));
  // Pointer.
  const double sx = cx + 4.0 * std::sin(av), sy = cy - 4.0 * std::cos(av);
  const double ex = cx + 10.0 * std::sin(av), ey = cy - 10.0 * std::cos(av);
  c.Shape(0, 0, 40, 40, [&](double x, double y) { return Segment(x, y, sx, sy, ex, ey, 2.2); }, Rgb(225, 235, 248));
  return c;
}

Canvas Knob()
{
  const int frames = 180;
  Canvas strip(40, 40 * frames);
  for (int i = 0; i < frames; ++i)
    strip.Paste(KnobFrame(i / static_cast<double>(frames - 1)), 0, 40 * i);
  return strip;
}

Canvas TextField()
{
  Canvas c(56, 15);
  c.Shape(0, 0, 56, 15, [](double x, double y) { return RoundRect(x, y, 0.5, 0.5, 55.5, 14.5, 3.0); }, Rgb(55, 58, 66));
  c.Shape(0, 0, 56, 15, [](double x, double y) { return RoundRect(x, y, 1.5, 1.5, 54.5, 13.5, 2.0); }, Rgb(11, 12, 15));
  return c;
}

Canvas RadioButton()
{
  Canvas c(14, 28);
  // Frame 1: off.
  c.Shape(0, 0, 14, 14, [](double x, double y) { return Circle(x, y, 7, 7, 6.0); }, Rgb(24, 25, 29));
  c.Shape(0, 0, 14, 14, [](double x, double y) { return Ring(x, y, 7, 7, 5.75, 1.5); }, Rgb(92, 97, 108));
  // Frame 2: on.
  c.Shape(0, 14, 14, 28, [](double x, double y) { return Circle(x, y, 7, 21, 6.0); }, Rgb(22, 34, 54));
  c.Shape(0, 14, 14, 28, [](double x, double y) { return Ring(x, y, 7, 21, 5.75, 1.5); }, kBlue);
  c.Shape(0, 14, 14, 28, [](double x, double y) { return Circle(x, y, 7, 21, 3.2); },
          [](double x, double y) { return Mix(kBlueLight, kBlue, std::clamp(std::hypot(x - 6.3, y - 20.3) / 3.2, 0.0, 1.0)); });
  return c;
}

// Drawn with multiply: frame 1 leaves the panel as it is, frame 2 lays a
// soft blue-tinted shade around the selected button.
Canvas RadioGlow()
{
  Canvas c(30, 60);
  for (int y = 30; y < 60; ++y)
    for (int x = 0; x < 30; ++x)
    {
      const double r = std::hypot(x + 0.5 - 15.0, y + 0.5 - 45.0);
      const double a = 0.55 * (1.0 - Smoothstep(6.0, 14.5, r));
      c.At(x, y) = {70 / 255.0, 120 / 255.0, 210 / 255.0, a};
    }
  return c;
}

Canvas HelpButton(Font& bold)
{
  Canvas c(24, 24);
  c.Shape(0, 0, 24, 24, [](double x, double y) { return Circle(x, y, 12, 12, 10.5); }, Rgb(36, 38, 44));
  c.Shape(0, 0, 24, 24, [](double x, double y) { return Ring(x, y, 12, 12, 10.0, 1.2); }, Rgb(88, 93, 105));
  const int w = bold.Width("?", 15);
  bold.Draw(c, "?", 15, 12 - w / 2, 18, Rgb(190, 200, 216));
  return c;
}

Canvas SizeButton(int iconW, int iconH)
{
  Canvas c(22, 66);
  struct Look
  {
    Colour border, fill, icon;
  };
  const Look looks[3] = {
    {Rgb(70, 74, 84), Rgb(28, 29, 34), Rgb(118, 124, 136)},   // off
    {Rgb(112, 118, 130), Rgb(38, 40, 46), Rgb(196, 202, 214)}, // pointer over
    {kBlue, Rgb(28, 52, 92), Rgb(206, 228, 255)},             // on
  };
  for (int f = 0; f < 3; ++f)
  {
    const double t = 22.0 * f;
    const Look& look = looks[f];
    c.Shape(0, 22 * f, 22, 22 * f + 22, [&](double x, double y) { return RoundRect(x, y, 1, t + 1, 21, t + 21, 3.5); },
            look.border);
    c.Shape(0, 22 * f, 22, 22 * f + 22, [&](double x, double y) { return RoundRect(x, y, 2, t + 2, 20, t + 20, 2.5); },
            look.fill);
    // A window outline whose size tells the editor size.
    const double l = 11.0 - iconW / 2.0, r = 11.0 + iconW / 2.0, top = t + 11.0 - iconH / 2.0, b = t + 11.0 + iconH / 2.0;
    c.Shape(0, 22 * f, 22, 22 * f + 22, [&](double x, double y) {
      return std::fabs(RoundRect(x, y, l, top, r, b, 1.0)) - 0.65;
    }, look.icon);
    c.Shape(0, 22 * f, 22, 22 * f + 22, [&](double x, double y) { return RoundRect(x, y, l, top, r, top + 2.0, 0.5); },
            look.icon);
  }
  return c;
}

// A ridge of peaks over a base line: the landscape the editor draws.
Canvas Logo()
{
  Canvas c(40, 40);
  const double px[] = {4, 12, 17, 23, 29, 36};
  const double py[] = {29, 17, 23, 9, 21, 29};
  for (int i = 0; i + 1 < 6; ++i)
    c.Shape(0, 0, 40, 40, [&](double x, double y) { return Segment(x, y, px[i], py[i], px[i + 1], py[i + 1], 2.6); },
            [&](double, double y) { return Mix(kBlueLight, kBlue, std::clamp((y - 9.0) / 20.0, 0.0, 1.0)); });
  c.Shape(0, 0, 40, 40, [](double x, double y) { return Segment(x, y, 4, 33.5, 36, 33.5, 1.6); }, Rgb(92, 97, 108));
  return c;
}

Canvas PlugName(Font& bold)
{
  const int size = 18;
  const int w = bold.Width("QX Crest", size) + 4;
  Canvas c(w, 22);
  const int x = bold.Draw(c, "QX", size, 2, 17, kBlue);
  bold.Draw(c, " Crest", size, x, 17, Rgb(200, 205, 215));
  return c;
}

Canvas Solid(int w, int h, Colour colour)
{
  Canvas c(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      c.At(x, y) = colour;
  return c;
}

Canvas KnobShadow()
{
  Canvas c(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      c.At(x, y) = {0, 0, 0, 0.5 * (1.0 - Smoothstep(10.0, 19.0, std::hypot(x + 0.5 - 20, y + 1.5 - 20)))};
  return c;
}

Canvas KnobDiffuse()
{
  Canvas c(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      c.At(x, y) = {kBlue.r, kBlue.g, kBlue.b, 0.25 * (1.0 - Smoothstep(12.0, 20.0, std::hypot(x + 0.5 - 20, y + 0.5 - 20)))};
  return c;
}

Canvas GraphShadows()
{
  Canvas c(800, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 800; ++x)
      c.At(x, y) = {0, 0, 0, 0.5 * (1.0 - y / 8.0)};
  return c;
}
// clang-format on
} // namespace

int main(int argc, char** argv)
{
  const std::string out = argc > 1 ? argv[1] : "resources/img";
  const char* boldFile = argc > 2 ? argv[2] : "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
  Font bold(boldFile);
  if (!bold.Ok())
    return 1;
  bool ok = true;
  ok &= Background().Write(out + "/background.png");
  ok &= Knob().Write(out + "/blue-knob-small.png");
  ok &= TextField().Write(out + "/textfield.png");
  ok &= RadioButton().Write(out + "/radiobutton.png");
  ok &= RadioGlow().Write(out + "/radiobutton-diffuse.png");
  ok &= HelpButton(bold).Write(out + "/help-button.png");
  ok &= SizeButton(9, 6).Write(out + "/small-gui-button.png");
  ok &= SizeButton(12, 8).Write(out + "/med-gui-button.png");
  ok &= SizeButton(15, 10).Write(out + "/big-gui-button.png");
  ok &= Logo().Write(out + "/logo.png");
  ok &= PlugName(bold).Write(out + "/plugname.png");
  // 408 high: the graph's sizes are multiples of 4 at every editor size.
  ok &= Solid(800, 408, Rgb(0, 0, 0)).Write(out + "/graph.png");
  // Pictures the layout names but no control shows.
  ok &= KnobShadow().Write(out + "/knob-shadow-small.png");
  ok &= KnobDiffuse().Write(out + "/blue-knob-diffuse-small.png");
  ok &= GraphShadows().Write(out + "/graph-shadows.png");
  ok &= Solid(8, 8, Rgb(0, 0, 0, 0.0)).Write(out + "/shadows.png");
  return ok ? 0 : 1;
}
