// Draws into the graph control's frames: PreDraw before the graph's own
// layers, PostDraw after them. Both run inside the renderer's frame with the
// GL context current and the plug-in mutex held. The graph control never
// deletes its drawers.
#pragma once

struct NVGcontext;

class GraphCustomDrawer
{
public:
  virtual ~GraphCustomDrawer() = default;
  virtual void PreDraw(NVGcontext* vg, int width, int height) = 0;
  virtual void PostDraw(NVGcontext* vg, int width, int height) = 0;
};
