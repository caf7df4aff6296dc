// Receives the graph control's input events, with the coordinates exactly as
// the framework gave them. The graph control never deletes its custom controls.
#pragma once

struct IMouseMod;

class GraphCustomControl
{
public:
  virtual ~GraphCustomControl() = default;
  virtual void OnMouseDown(int x, int y, IMouseMod* mod) = 0;
  virtual void OnMouseUp(int x, int y, IMouseMod* mod) = 0;
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) = 0;
  virtual bool OnMouseDblClick(int x, int y, IMouseMod* mod) = 0;
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, double d) = 0;
  virtual bool OnKeyDown(int x, int y, int key, IMouseMod* mod) = 0;
  virtual void OnMouseOver(int x, int y, IMouseMod* mod) = 0;
  virtual void OnMouseOut() = 0;
};
