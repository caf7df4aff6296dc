#include "graph/NanoVGShaderEdits.h"

bool NanoVGShaderEdits::InsertAfterEach(std::string& text, const std::string& anchor, const std::string& insert)
{
  bool found = false;
  for (size_t pos = text.find(anchor); pos != std::string::npos; pos = text.find(anchor, pos))
  {
    pos += anchor.size();
    text.insert(pos, insert);
    pos += insert.size();
    found = true;
  }
  return found;
}

bool NanoVGShaderEdits::InsertBefore(std::string& text, const std::string& anchor, const std::string& insert)
{
  const size_t pos = text.find(anchor);
  if (pos == std::string::npos)
    return false;
  text.insert(pos, insert);
  return true;
}

// NanoVG's fill shader with the colormap: two uniforms after the image
// sampler, and the lookup that replaces the computed colour before output.
bool NanoVGShaderEdits::AddColormap(std::string& frag)
{
  const bool uniforms = InsertAfterEach(frag, "uniform sampler2D tex;\n",
                                        "\tuniform sampler2D colormapTex;\n\tuniform float useColormap;\n");
  const bool gl3 = InsertBefore(frag, "\toutColor = result;\n",
                                "\tif (useColormap > 0.5) {\n"
                                "\t\tvec2 ct = vec2(result.x, 0.0);\n"
                                "\t\tresult = texture(colormapTex, ct);\n"
                                "\t}\n");
  const bool gl2 = InsertBefore(frag, "\tgl_FragColor = result;\n",
                                "\tif (useColormap > 0.5) {\n"
                                "\t\tvec2 ct = vec2(result.x, 0.0);\n"
                                "\t\tresult = texture2D(colormapTex, ct);\n"
                                "\t}\n");
  return uniforms && gl3 && gl2;
}

// The solid program's fragment shader: NanoVG's own with its main renamed
// and a main that returns the paint colour, times the stroke's edge
// coverage for strokes (type 0) and as it is for triangles (type 3). For a
// stroke of one colour without scissor, and for triangles of a white image
// without scissor, that is what NanoVG's main computes (its gradient, image
// and scissor factors are exactly 1 there), at a fraction of the
// per-pixel work, which is what software GL spends most of a frame of thin
// strokes on.
bool NanoVGShaderEdits::MakeSolid(std::string& frag)
{
  const std::string mainDecl = "void main(void) {";
  const size_t pos = frag.find(mainDecl);
  if (pos == std::string::npos)
    return false;
  frag.replace(pos, mainDecl.size(), "void nanovgMain(void) {");
  frag += "void main(void) {\n"
          "\tvec4 result = innerCol;\n"
          "#ifdef EDGE_AA\n"
          "\tif (type != 3) result *= strokeMask();\n"
          "#endif\n"
          "#ifdef NANOVG_GL3\n"
          "\toutColor = result;\n"
          "#else\n"
          "\tgl_FragColor = result;\n"
          "#endif\n"
          "}\n";
  return true;
}
