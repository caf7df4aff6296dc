// Draws the editor's texts with FreeType: a font name and style resolved
// through fontconfig, the size in pixels, the colour, and the alignment of
// the line within its rectangle. A line's top is the rectangle's top and
// nothing is clipped to the rectangle, so zero-height text rectangles show
// their text below that edge.
#pragma once

#include "framework/IRECT.h"
#include "framework/IText.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

class LICE_IBitmap;

class IFontRenderer
{
public:
  IFontRenderer();
  ~IFontRenderer();

  IFontRenderer(const IFontRenderer&) = delete;
  IFontRenderer& operator=(const IFontRenderer&) = delete;

  // Draws UTF-8 text; drawn (optional) receives the line's box. False when
  // nothing was drawn (empty text, no font).
  bool DrawText(LICE_IBitmap* dest, const IText& text, const char* str, const IRECT& rect, const IRECT* clip,
                IRECT* drawn);
  // The box the line would cover, without drawing.
  bool MeasureText(const IText& text, const char* str, const IRECT& rect, IRECT* box);

  // Draws the family a design names, which this system may not ship, as
  // an installed one.
  void SetStandIn(const char* family, const char* standIn);

  // The font file a name and style resolve to, "" when none; a family with
  // a stand-in is resolved as the stand-in.
  std::string ResolveFontFile(const char* name, int style, int* faceIndex) const;

private:
  struct Glyph
  {
    std::vector<unsigned char> coverage;
    int width = 0, rows = 0, left = 0, top = 0;
    long advance = 0; // 26.6 fixed point
    unsigned index = 0;
  };
  struct Face;

  Face* GetFace(const IText& text);
  const Glyph* GetGlyph(Face* face, unsigned codepoint);
  bool Layout(const IText& text, const char* str, const IRECT& rect, Face** face, std::vector<const Glyph*>* glyphs,
              std::vector<int>* penX, int* baseline, IRECT* box);

  void* mLibrary = nullptr; // FT_Library
  std::map<std::tuple<std::string, int, int>, std::unique_ptr<Face>> mFaces;
  std::map<std::string, std::string> mStandIns;
};
