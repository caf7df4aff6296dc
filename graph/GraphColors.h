// How the graph's colours reach the renderer: its read-back shows renderer
// red as blue, so the graph's own colours are swapped on the way in.
#pragma once

#include "nanovg.h"

// The graph's colours c0..c3 go to the renderer as (c2, c1, c0, c3), so they
// show as given.
inline NVGcolor GraphColor(const int c[4]) { return nvgRGBA(c[2] & 255, c[1] & 255, c[0] & 255, c[3] & 255); }

// Colours already in renderer order.
inline NVGcolor RendererColor(const int c[4]) { return nvgRGBA(c[0], c[1], c[2], c[3]); }
