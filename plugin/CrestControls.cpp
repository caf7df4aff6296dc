// The editor's layout: which control, which picture, where, bound to which
// parameter. Rebuilt at every editor size with the lower row moved down by
// yOffset; the graph and the view are made only by the first build.
#include "plugin/Crest.h"

#include "CrestVersion.h"
#include "editor/GUIHelper9.h"
#include "editor/IGUIResizeButtonControl2.h"
#include "framework/IGraphics.h"
#include "framework/IText.h"
#include "graph/GraphControl10.h"
#include "view3d/CrestRender.h"

void Crest::CreateControls(IGraphics* graphics, int yOffset, bool createGraph)
{
  if (!graphics)
    return;
  graphics->AttachBackground(100, "resources/img/background.png");

  GUIHelper9 helper;
  const char* knob = "resources/img/blue-knob-small.png";
  const char* field = "resources/img/textfield.png";
  helper.CreateKnob(this, graphics, 106, knob, 180, 195, 440 + yOffset, kSpeed, "SPEED", 104, field, 1, 1.0);
  helper.CreateKnob(this, graphics, 105, knob, 180, 265, 440 + yOffset, kDensity, "DENSITY", 104, field, 1, 1.0);
  static const char* const kModeLabels[] = {"LINES FREQ", "LINES TIME", "POINTS"};
  GUIHelper9::RadioButtonsLayout mode;
  mode.x = 150;
  mode.y = 451 + yOffset;
  mode.nButtons = 3;
  mode.span = 54;
  mode.title = "MODE";
  mode.titleAlign = IText::kAlignFar;
  mode.titleOffset = -15.0;
  mode.labels = kModeLabels;
  mode.numLabels = 3;
  mode.labelAlign = IText::kAlignFar;
  helper.CreateRadioButtons(this, graphics, 110, "resources/img/radiobutton.png", 2, kMode, 111,
                            "resources/img/radiobutton-diffuse.png", mode);
  helper.CreateKnob(this, graphics, 107, knob, 180, 335, 440 + yOffset, kScale, "SCALE", 104, field, 1, 1.0);

  if (createGraph)
  {
    mGraph = helper.CreateGraph(this, graphics, kGraph, 113, "resources/img/graph.png", 0, 0, 0, 512);
    if (mGraph)
    {
      mGraph->GetSize(&mGraphBaseWidth, &mGraphBaseHeight);
      mGraph->SetBackgroundColor(0, 0, 0, 255);
      const int separator[4] = {24, 24, 24, 255};
      mGraph->SetSeparatorLine(separator, 2.0);
    }
    delete mView;
    mView = new CrestRender(this, mGraph, GetSampleRate());
  }

  mSizeButtons[0] = helper.CreateGUIResizeButton(this, graphics, 115, "resources/img/small-gui-button.png", 3, 20,
                                                 423 + yOffset, kSmallGUI, kEditorSizes[0].width,
                                                 kEditorSizes[0].height, "");
  mSizeButtons[1] = helper.CreateGUIResizeButton(this, graphics, 116, "resources/img/med-gui-button.png", 3, 20,
                                                 451 + yOffset, kMediumGUI, kEditorSizes[1].width,
                                                 kEditorSizes[1].height, "");
  mSizeButtons[2] = helper.CreateGUIResizeButton(this, graphics, 117, "resources/img/big-gui-button.png", 3, 20,
                                                 479 + yOffset, kBigGUI, kEditorSizes[2].width,
                                                 kEditorSizes[2].height, "");

  helper.CreateVersion(this, graphics, kCrestVersionText, 1);
  helper.CreateLogo(this, graphics, 103, "resources/img/logo.png", 1);
  helper.CreatePlugName(this, graphics, 102, "resources/img/plugname.png", 1);
  helper.CreateHelpButton(this, graphics, 112, "resources/img/help-button.png", "manual/QX-Crest_manual-EN.pdf", 1);

  helper.AddAllObjects(graphics);
}
