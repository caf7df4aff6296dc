// A triangle strip as a list of the triangles in it that can draw anything:
// NanoVG's stroke joins repeat vertices (a third of a dense landscape's
// triangles have no area) and sharp folds turn a few triangles away from the
// viewer, where culling drops them. Software GL pays for every triangle it
// is handed, so those are left out.
#pragma once

#include "nanovg.h"

class StripTriangles
{
public:
  // The most indices Append writes for a strip of count vertices.
  static int MaxIndices(int count) { return count > 2 ? 3 * (count - 2) : 0; }
  // Appends the kept triangles of the strip verts[first .. first + count) as
  // vertex indices, each in the order the strip gives it (so it rasterizes
  // as before); returns how many indices it wrote.
  static int Append(const NVGvertex* verts, int first, int count, unsigned int* indices);
};
