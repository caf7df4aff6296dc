// Draws into the graph control's frames: PreDraw before the graph's own
// layers, PostDraw after them. Both run inside the renderer's frame with the
// GL context current: what they read that other threads change,
// PrepareFrame copies first, without waiting for those threads. The graph
// control never deletes its drawers.
#pragma once

struct NVGcontext;

class GraphCustomDrawer
{
public:
  virtual ~GraphCustomDrawer() = default;
  // Before the frame, on the thread that renders it: copy, nothing more,
  // and never wait for the thread that writes the data.
  virtual void PrepareFrame(int /*width*/, int /*height*/) {}
  virtual void PreDraw(NVGcontext* vg, int width, int height) = 0;
  virtual void PostDraw(NVGcontext* vg, int width, int height) = 0;
};
