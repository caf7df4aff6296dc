// The creation flags of the graph control's vector renderer, shared with the
// tests and benchmarks that must draw as the graph does.
#pragma once

#include "graph/NanoVGExt.h"
#include "nanovg_gl.h"

// Anti-aliasing, and no fringe on convex fills (the 3-D view's many small
// quads and strips would blur). No stencil strokes: the landscape's strokes
// are opaque, so where a stroke overlaps itself painting twice changes at
// most a few anti-aliased edge pixels, and the stencil passes cost about
// 60 % of a dense frame on software GL.
constexpr int kGraphRendererFlags = NVG_ANTIALIAS | NVG_NO_CONVEX_FRINGE;
