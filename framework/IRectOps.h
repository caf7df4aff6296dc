// Rectangle arithmetic of the editor's redraw bookkeeping, where an empty
// rectangle (no width or no height) stands for nothing.
#pragma once

#include "framework/IRECT.h"

#include <algorithm>

namespace IRectOps
{
inline bool IsEmpty(const IRECT& r) { return r.W() <= 0 || r.H() <= 0; }

// Union that ignores empty rectangles (zero-height text rectangles among them).
inline IRECT Union(const IRECT& a, const IRECT& b)
{
  if (IsEmpty(a))
    return IsEmpty(b) ? IRECT() : b;
  if (IsEmpty(b))
    return a;
  return IRECT(std::min(a.L, b.L), std::min(a.T, b.T), std::max(a.R, b.R), std::max(a.B, b.B));
}

inline IRECT Intersect(const IRECT& a, const IRECT& b)
{
  IRECT r(std::max(a.L, b.L), std::max(a.T, b.T), std::min(a.R, b.R), std::min(a.B, b.B));
  return IsEmpty(r) ? IRECT() : r;
}

inline bool Intersects(const IRECT& a, const IRECT& b) { return !IsEmpty(Intersect(a, b)); }

inline bool Contains(const IRECT& outer, const IRECT& inner)
{
  return IsEmpty(inner) || (inner.L >= outer.L && inner.T >= outer.T && inner.R <= outer.R && inner.B <= outer.B);
}
} // namespace IRectOps
