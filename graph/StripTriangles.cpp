#include "graph/StripTriangles.h"

int StripTriangles::Append(const NVGvertex* verts, int first, int count, unsigned int* indices)
{
  int n = 0;
  for (int t = 0; t + 2 < count; t++)
  {
    // GL's strip order: odd triangles have their first two swapped.
    const unsigned int a = static_cast<unsigned int>(first + t + (t & 1)),
                       b = static_cast<unsigned int>(first + t + 1 - (t & 1)),
                       c = static_cast<unsigned int>(first + t + 2);
    const NVGvertex& va = verts[a];
    const NVGvertex& vb = verts[b];
    const NVGvertex& vc = verts[c];
    // Twice the signed area in the renderer's y-down pixels; the front
    // faces (counter-clockwise on the GL side) are negative here. Only
    // exact zeros and clear back faces go: a sliver that the
    // rasterizer's snapping might turn over is kept.
    const double area = (static_cast<double>(vb.x) - va.x) * (static_cast<double>(vc.y) - va.y) -
                        (static_cast<double>(vc.x) - va.x) * (static_cast<double>(vb.y) - va.y);
    if (area == 0.0 || area > 1e-3)
      continue;
    indices[n++] = a;
    indices[n++] = b;
    indices[n++] = c;
  }
  return n;
}
