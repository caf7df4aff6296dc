// A 200 x 200 editor on the test plug-in for controls drawn from a Strip:
// FrameAt reads back which frame shows at a point.
#pragma once

#include "framework/IGraphics.h"
#include "tests/framework/EditorTestPlug.h"

struct StripEditor
{
  explicit StripEditor(bool handleMouseOver = false)
  {
    graphics = new IGraphics(&plug, 200, 200);
    graphics->HandleMouseOver(handleMouseOver);
    plug.AttachGraphics(graphics);
  }
  // The 1-based frame shown at (x, y) of a Strip-drawn control.
  int FrameAt(int x, int y)
  {
    graphics->OnIdle();
    return LICE_GETR(SurfacePixel(graphics, x, y)) / 10;
  }
  EditorTestPlug plug;
  IGraphics* graphics;
};
