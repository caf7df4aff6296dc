#include "framework/IFontRenderer.h"

#include "framework/LICE_Blit.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <unordered_map>

struct IFontRenderer::Face
{
  FT_Face face = nullptr;
  int ascender = 0, descender = 0; // pixels; descender negative
  std::unordered_map<unsigned, Glyph> glyphs;
};

namespace
{
// Next code point of UTF-8 text; malformed bytes count as U+FFFD.
unsigned NextCodepoint(const unsigned char*& s)
{
  const unsigned c = *s++;
  if (c < 0x80)
    return c;
  int extra = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : -1;
  if (extra < 0)
    return 0xfffd;
  unsigned cp = c & (0x3fu >> extra);
  for (int i = 0; i < extra; ++i)
  {
    if ((*s & 0xc0) != 0x80)
      return 0xfffd;
    cp = cp << 6 | (*s++ & 0x3fu);
  }
  return cp;
}
} // namespace

IFontRenderer::IFontRenderer()
{
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) == 0)
    mLibrary = library;
}

IFontRenderer::~IFontRenderer()
{
  for (auto& entry : mFaces)
    if (entry.second->face)
      FT_Done_Face(entry.second->face);
  mFaces.clear();
  if (mLibrary)
    FT_Done_FreeType(static_cast<FT_Library>(mLibrary));
}

void IFontRenderer::SetStandIn(const char* family, const char* standIn)
{
  if (!family || !standIn)
    return;
  mStandIns[family] = standIn;
  // Faces already opened for the family were resolved without it.
  for (auto it = mFaces.begin(); it != mFaces.end();)
  {
    if (std::get<0>(it->first) != family)
    {
      ++it;
      continue;
    }
    if (it->second->face)
      FT_Done_Face(it->second->face);
    it = mFaces.erase(it);
  }
}

std::string IFontRenderer::ResolveFontFile(const char* name, int style, int* faceIndex) const
{
  if (faceIndex)
    *faceIndex = 0;
  std::string family = name && *name ? name : "sans-serif";
  const auto standIn = mStandIns.find(family);
  if (standIn != mStandIns.end())
    family = standIn->second;
  if (!FcInit())
    return "";
  FcPattern* pattern = FcPatternCreate();
  if (!pattern)
    return "";
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, (style & IText::kStyleBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, (style & IText::kStyleItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  if (match)
  {
    FcChar8* path = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
      file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch && faceIndex)
      *faceIndex = index;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}

IFontRenderer::Face* IFontRenderer::GetFace(const IText& text)
{
  if (!mLibrary || text.mSize <= 0)
    return nullptr;
  const int style = static_cast<int>(text.mStyle);
  auto key = std::make_tuple(std::string(text.mFont), style, text.mSize);
  auto it = mFaces.find(key);
  if (it != mFaces.end())
    return it->second->face ? it->second.get() : nullptr;

  auto face = std::make_unique<Face>();
  int index = 0;
  const std::string file = ResolveFontFile(text.mFont, style, &index);
  if (!file.empty() && FT_New_Face(static_cast<FT_Library>(mLibrary), file.c_str(), index, &face->face) == 0)
  {
    FT_Set_Pixel_Sizes(face->face, 0, static_cast<FT_UInt>(text.mSize));
    face->ascender = static_cast<int>((face->face->size->metrics.ascender + 63) >> 6);
    face->descender = static_cast<int>(face->face->size->metrics.descender >> 6);
  }
  else
    face->face = nullptr;
  Face* result = face->face ? face.get() : nullptr;
  mFaces.emplace(key, std::move(face));
  return result;
}

const IFontRenderer::Glyph* IFontRenderer::GetGlyph(Face* face, unsigned codepoint)
{
  auto it = face->glyphs.find(codepoint);
  if (it != face->glyphs.end())
    return &it->second;
  Glyph glyph;
  glyph.index = FT_Get_Char_Index(face->face, codepoint);
  if (FT_Load_Glyph(face->face, glyph.index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0)
  {
    const FT_GlyphSlot slot = face->face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    glyph.width = static_cast<int>(bm.width);
    glyph.rows = static_cast<int>(bm.rows);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.advance = slot->advance.x;
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
    {
      glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.rows);
      for (int y = 0; y < glyph.rows; ++y)
        std::memcpy(&glyph.coverage[static_cast<size_t>(y) * glyph.width],
                    bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch, static_cast<size_t>(glyph.width));
    }
    else
      glyph.width = glyph.rows = 0;
  }
  return &face->glyphs.emplace(codepoint, std::move(glyph)).first->second;
}

bool IFontRenderer::Layout(const IText& text, const char* str, const IRECT& rect, Face** facePtr,
                           std::vector<const Glyph*>* glyphs, std::vector<int>* penX, int* baseline, IRECT* box)
{
  if (!str || !*str)
    return false;
  Face* face = GetFace(text);
  if (!face)
    return false;
  const bool kerning = FT_HAS_KERNING(face->face);
  long pen = 0;
  unsigned previous = 0;
  for (const unsigned char* s = reinterpret_cast<const unsigned char*>(str); *s;)
  {
    const Glyph* glyph = GetGlyph(face, NextCodepoint(s));
    if (kerning && previous && glyph->index)
    {
      FT_Vector delta;
      if (FT_Get_Kerning(face->face, previous, glyph->index, FT_KERNING_DEFAULT, &delta) == 0)
        pen += delta.x;
    }
    glyphs->push_back(glyph);
    penX->push_back(static_cast<int>(pen >> 6));
    pen += glyph->advance;
    previous = glyph->index;
  }
  const int width = static_cast<int>((pen + 63) >> 6);
  int x = rect.L;
  if (text.mAlign == IText::kAlignCenter)
    x = rect.L + (rect.W() - width) / 2;
  else if (text.mAlign == IText::kAlignFar)
    x = rect.R - width;
  for (int& p : *penX)
    p += x;
  *baseline = rect.T + face->ascender;
  *facePtr = face;
  // The line's box, grown by any glyph that reaches beyond it.
  IRECT b(x, rect.T, x + width, rect.T + face->ascender - face->descender);
  for (size_t i = 0; i < glyphs->size(); ++i)
  {
    const Glyph* g = (*glyphs)[i];
    if (!g->width || !g->rows)
      continue;
    const int gx = (*penX)[i] + g->left, gy = *baseline - g->top;
    b = IRECT(std::min(b.L, gx), std::min(b.T, gy), std::max(b.R, gx + g->width), std::max(b.B, gy + g->rows));
  }
  *box = b;
  return true;
}

bool IFontRenderer::MeasureText(const IText& text, const char* str, const IRECT& rect, IRECT* box)
{
  Face* face = nullptr;
  std::vector<const Glyph*> glyphs;
  std::vector<int> penX;
  int baseline = 0;
  IRECT b;
  if (!Layout(text, str, rect, &face, &glyphs, &penX, &baseline, &b))
    return false;
  if (box)
    *box = b;
  return true;
}

bool IFontRenderer::DrawText(LICE_IBitmap* dest, const IText& text, const char* str, const IRECT& rect,
                             const IRECT* clip, IRECT* drawn)
{
  Face* face = nullptr;
  std::vector<const Glyph*> glyphs;
  std::vector<int> penX;
  int baseline = 0;
  IRECT box;
  if (!dest || !dest->getBits() || !Layout(text, str, rect, &face, &glyphs, &penX, &baseline, &box))
    return false;
  if (drawn)
    *drawn = box;

  IRECT area(0, 0, dest->getWidth(), dest->getHeight());
  if (clip)
    area = IRECT(std::max(area.L, clip->L), std::max(area.T, clip->T), std::min(area.R, clip->R),
                 std::min(area.B, clip->B));
  const LICE_pixel color = LICE_RGBA(text.mColor.R, text.mColor.G, text.mColor.B, text.mColor.A);
  for (size_t i = 0; i < glyphs.size(); ++i)
  {
    const Glyph* g = glyphs[i];
    const int gx = penX[i] + g->left, gy = baseline - g->top;
    for (int row = 0; row < g->rows; ++row)
    {
      const int y = gy + row;
      if (y < area.T || y >= area.B)
        continue;
      LICE_pixel* line = dest->getBits() + static_cast<long>(y) * dest->getRowSpan();
      const unsigned char* cov = &g->coverage[static_cast<size_t>(row) * g->width];
      for (int col = 0; col < g->width; ++col)
      {
        const int x = gx + col;
        if (x >= area.L && x < area.R && cov[col])
          LICE_PutCoverage(line + x, color, cov[col]);
      }
    }
  }
  return true;
}
