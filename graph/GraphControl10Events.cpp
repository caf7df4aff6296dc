// The graph's events: the framework's handling where it has one, then every
// custom control in insertion order, coordinates unchanged.
#include "graph/GraphControl10.h"

#include "graph/GraphCustomControl.h"

void GraphControl10::OnMouseDown(int x, int y, IMouseMod* mod)
{
  IControl::OnMouseDown(x, y, mod);
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseDown(x, y, mod);
}

void GraphControl10::OnMouseUp(int x, int y, IMouseMod* mod)
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseUp(x, y, mod);
}

void GraphControl10::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod)
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseDrag(x, y, dX, dY, mod);
}

bool GraphControl10::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  // A press too late for a double click was a mouse-down: the framework's
  // handling has already passed it on through our OnMouseDown.
  if (!IControl::OnMouseDblClick(x, y, mod))
    return false;
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseDblClick(x, y, mod);
  return true;
}

void GraphControl10::OnMouseWheel(int x, int y, IMouseMod* mod, double d)
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseWheel(x, y, mod, d);
}

bool GraphControl10::OnKeyDown(int x, int y, int key, IMouseMod* mod)
{
  bool result = false;
  for (GraphCustomControl* c : mCustomControls)
    result = c->OnKeyDown(x, y, key, mod);
  return result;
}

void GraphControl10::OnMouseOver(int x, int y, IMouseMod* mod)
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseOver(x, y, mod);
}

void GraphControl10::OnMouseOut()
{
  for (GraphCustomControl* c : mCustomControls)
    c->OnMouseOut();
}
