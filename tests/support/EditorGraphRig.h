// A graph control set up as the editor sets up its own (black, with the
// 2-pixel separator), on a bare plug-in, without an editor window; for tests
// and benchmarks that render frames off-screen and look at them as the user
// would. HasGL() is false where no GL context can be made.
#pragma once

#include "graph/GraphControl10.h"
#include "tests/support/FakePlug.h"

#include <array>
#include <cstdint>
#include <vector>

class EditorGraphRig
{
public:
  EditorGraphRig(int width, int height, int numCurves = 0, int numCurveValues = 512, const char* fontPath = "")
    : mGraph(&mPlug, nullptr, IRECT(10, 20, 10 + width, 20 + height), -1, numCurves, numCurveValues, fontPath)
  {
    mGraph.SetBackgroundColor(0, 0, 0, 255);
    const int separator[4] = {24, 24, 24, 255};
    mGraph.SetSeparatorLine(separator, 2.0);
  }

  bool HasGL() { return mGraph.HasRenderer(); }
  GraphControl10& Graph() { return mGraph; }
  IPlugBase& Plug() { return mPlug; }

  // Renders (when dirty) and reads the picture as the user sees it.
  bool Snapshot()
  {
    int w = 0, h = 0;
    mGraph.GetSize(&w, &h);
    mWidth = w;
    mScreen.assign(static_cast<size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0) * 4, 0);
    return mGraph.ReadScreenRGBA(mScreen.data());
  }

  // Screen pixel of the last Snapshot (x right, y down from the top) as
  // red, green, blue, alpha.
  std::array<int, 4> At(int x, int y) const
  {
    const uint8_t* p = &mScreen[(static_cast<size_t>(y) * mWidth + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }

private:
  FakePlug mPlug;
  GraphControl10 mGraph;
  std::vector<uint8_t> mScreen;
  int mWidth = 0;
};
