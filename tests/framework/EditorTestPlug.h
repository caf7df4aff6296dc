// A small plug-in for editor tests: four parameters (a continuous one in
// percent, an integer one, a continuous angle, an on/off switch), and a
// record of what the editor asked of it.
#pragma once

#include "framework/IGraphics.h"
#include "framework/IPlugBase.h"
#include "framework/LICE_Blit.h"

#include <string>
#include <utility>
#include <vector>

class EditorTestPlug : public IPlugBase
{
public:
  enum
  {
    kPercent = 0,
    kChoice,
    kAngle,
    kSwitch,
    kNumParams
  };

  EditorTestPlug() : IPlugBase(kNumParams, "2-2-0", 1, "Test", "", "Maker", 0x10000, 1, 2, 0, false, false, false)
  {
    GetParam(kPercent)->InitDouble("Percent", 50.0, 0.0, 100.0, 0.1, "%");
    GetParam(kChoice)->InitInt("Choice", 0, 0, 2);
    GetParam(kAngle)->InitDouble("Angle", 0.0, -90.0, 90.0, 0.1, "\xC2\xB0");
    GetParam(kSwitch)->InitInt("Switch", 0, 0, 1);
  }

  void SetParameterFromGUI(int idx, double normalized) override
  {
    guiChanges.emplace_back(idx, normalized);
    IPlugBase::SetParameterFromGUI(idx, normalized);
  }
  void OnParamChange(int idx) override
  {
    paramChanges.push_back(idx);
    if (onParamChange)
      onParamChange(idx);
  }
  void OnEditorWillResize() override { events.push_back("will-resize"); }
  void OnEditorResized() override { events.push_back("resized"); }
  void ResizeEditor(int w, int h) override
  {
    events.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
    IPlugBase::ResizeEditor(w, h);
  }
  void ResizeGraphics(int w, int h) override
  {
    events.push_back("host " + std::to_string(w) + "x" + std::to_string(h));
  }

  std::vector<std::pair<int, double>> guiChanges;
  std::vector<int> paramChanges;
  std::vector<std::string> events;
  void (*onParamChange)(int) = nullptr;
};

// The pixel of the editor's drawing surface at (x, y).
inline LICE_pixel SurfacePixel(IGraphics* g, int x, int y)
{
  LICE_IBitmap* b = g->GetDrawBitmap();
  return b->getBits()[static_cast<long>(y) * b->getRowSpan() + x];
}

// Whether an X display can be opened (tests that need one skip without).
bool HaveDisplay();
// A new connection to the X display (a Display*), or null.
void* OpenTestDisplay();

inline void UseSourceResources()
{
#ifdef CREST_SOURCE_DIR
  IGraphics::SetDefaultResourceDir(CREST_SOURCE_DIR);
#endif
}
