// Draws into the graph control's frames: PreDraw before the graph's own
// layers, PostDraw after them. Both run inside the renderer's frame with the
// GL context current, without the plug-in mutex: what they read that other
// threads change, PrepareFrame copies first, with the mutex held. The graph
// control never deletes its drawers.
#pragma once

struct NVGcontext;

class GraphCustomDrawer
{
public:
  virtual ~GraphCustomDrawer() = default;
  // With the plug-in mutex held, before the frame: copy, nothing more, so
  // that the audio thread waits as little as possible.
  virtual void PrepareFrame(int /*width*/, int /*height*/) {}
  virtual void PreDraw(NVGcontext* vg, int width, int height) = 0;
  virtual void PostDraw(NVGcontext* vg, int width, int height) = 0;
};
