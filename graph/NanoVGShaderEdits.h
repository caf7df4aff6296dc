// Edits of NanoVG's own fragment shader source for the extended renderer:
// the colormap lookup, and the cut-down solid program. Text only; the
// renderer compiles the results.
#pragma once

#include <string>

class NanoVGShaderEdits
{
public:
  // Two uniforms after the image sampler, and the lookup that replaces the
  // computed colour before output; false when an anchor is missing.
  static bool AddColormap(std::string& frag);
  // NanoVG's main renamed and a main that returns the paint colour (times
  // the stroke's edge coverage for strokes); false without a main.
  static bool MakeSolid(std::string& frag);

  // Inserts text after every occurrence of anchor; false when there is none.
  static bool InsertAfterEach(std::string& text, const std::string& anchor, const std::string& insert);
  static bool InsertBefore(std::string& text, const std::string& anchor, const std::string& insert);
};
