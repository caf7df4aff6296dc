// Which triangles of a stroke's strip are handed to GL, and in what order.
#include "graph/StripTriangles.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
NVGvertex V(float x, float y) { return NVGvertex{x, y, 0.0f, 0.0f}; }

std::vector<unsigned int> Kept(const std::vector<NVGvertex>& verts, int first, int count)
{
  std::vector<unsigned int> indices(static_cast<size_t>(StripTriangles::MaxIndices(count)) + 1, 99u);
  const int n = StripTriangles::Append(verts.data(), first, count, indices.data());
  EXPECT_LE(n, StripTriangles::MaxIndices(count));
  EXPECT_EQ(indices[static_cast<size_t>(n)], 99u); // nothing written past the count
  indices.resize(static_cast<size_t>(n));
  return indices;
}
} // namespace

TEST(StripTriangles, KeepsFrontFacesInStripOrderFromTheFirstVertex)
{
  // A unit square as a strip, after one unrelated vertex.
  const std::vector<NVGvertex> verts = {V(9, 9), V(0, 0), V(0, 1), V(1, 0), V(1, 1)};
  EXPECT_EQ(Kept(verts, 1, 4), (std::vector<unsigned int>{1, 2, 3, 3, 2, 4}));
  EXPECT_EQ(StripTriangles::MaxIndices(4), 6);
  EXPECT_EQ(StripTriangles::MaxIndices(2), 0);
  EXPECT_TRUE(Kept(verts, 1, 2).empty());
}

TEST(StripTriangles, DropsZeroAreaAndClearBackFacesButKeepsSlivers)
{
  // A stroke of two segments whose join repeats a pair of vertices: the
  // two triangles of the repeat have no area.
  const std::vector<NVGvertex> joined = {V(0, 0), V(0, 1), V(1, 0), V(1, 1), V(1, 0), V(1, 1), V(2, 0), V(2, 1)};
  EXPECT_EQ(Kept(joined, 0, 8), (std::vector<unsigned int>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));

  // The same square wound the other way faces away.
  const std::vector<NVGvertex> back = {V(0, 0), V(1, 0), V(0, 1), V(1, 1)};
  EXPECT_TRUE(Kept(back, 0, 4).empty());

  // Barely turned over (twice the area 2e-4): rasterizer snapping could flip
  // it, so it stays.
  const std::vector<NVGvertex> sliver = {V(0, 0), V(1, 0), V(0, 0.0002f)};
  EXPECT_EQ(Kept(sliver, 0, 3), (std::vector<unsigned int>{0, 1, 2}));
}
