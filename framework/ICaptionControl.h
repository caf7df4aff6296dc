// A text control that shows its parameter's value as the host would, with
// the unit label after it when showLabel is set; a click (or a double
// click) prompts for a new value.
#pragma once

#include "framework/ITextControl.h"

class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IPlugBase* plug, IRECT rect, int paramIdx, IText* text, bool showLabel = true);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  // The parameter's text is taken here, under the plug-in's mutex.
  void PrepareDraw() override;
  bool Draw(IGraphics* graphics) override;

protected:
  bool mShowLabel;
};
