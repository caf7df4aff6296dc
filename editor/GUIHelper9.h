// The editor's control factory: makes knobs, radio buttons, size buttons,
// the graph and the bottom-edge pictures with their decorations (titles,
// value fields, captions, labels, glows), keeps them in lists by layer and
// attaches the lists to the editor in a fixed order. It only collects
// pointers; once attached the editor owns every control. Texts use the
// font "Tahoma" (mapped to an installed sans face by the framework).
#pragma once

#include "framework/IBitmap.h"
#include "framework/IColor.h"
#include "framework/IText.h"

#include <vector>

class GraphControl10;
class IBitmapControl;
class IControl;
class IGraphics;
class IGUIResizeButtonControl2;
class IHelpButtonControl;
class IKnobMultiControl;
class IPlugBase;
class IRadioButtonsControlExt;
class ITextControl;

class GUIHelper9
{
public:
  GUIHelper9();
  ~GUIHelper9();

  GUIHelper9(const GUIHelper9&) = delete;
  GUIHelper9& operator=(const GUIHelper9&) = delete;

  // A filmstrip knob with its title above, its value field and value
  // caption below; gearing 4 x sensitivity.
  IKnobMultiControl* CreateKnob(IPlugBase* plug, IGraphics* graphics, int id, const char* path, int frames, int x,
                                int y, int paramIdx, const char* title, int fieldId, const char* fieldPath,
                                int titleSizeFlag, double sensitivity);
  // Size flag 1: size 13 and the offset scaled by 0.65; otherwise size 20.
  ITextControl* CreateTitle(IPlugBase* plug, const IBitmap& bitmap, const char* text, int x, int y, int align,
                            int sizeFlag, double offset);
  IBitmapControl* CreateTextField(IPlugBase* plug, IGraphics* graphics, int id, const char* path, int x, int y,
                                  const IBitmap& knob, IBitmap* field = nullptr);
  ITextControl* CreateValueText(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap& knob,
                                const IBitmap& field);
  // Where a radio-button group goes and what is written around it.
  struct RadioButtonsLayout
  {
    int x = 0, y = 0;
    int nButtons = 2;
    // Length of the group along its direction.
    int span = 0;
    bool horizontal = false;
    const char* title = nullptr;
    int titleAlign = 0;
    double titleOffset = 0.0;
    // One label per button (numLabels of them), aligned by labelAlign.
    const char* const* labels = nullptr;
    int numLabels = 0;
    int labelAlign = 0;
  };
  // The buttons from picture id (frames states), a glow over each from
  // glowId when glowPath is given.
  IRadioButtonsControlExt* CreateRadioButtons(IPlugBase* plug, IGraphics* graphics, int id, const char* path,
                                              int frames, int paramIdx, int glowId, const char* glowPath,
                                              const RadioButtonsLayout& layout);
  // Initialises the parameter as "Graph" and makes the graph control over
  // the picture's rectangle.
  GraphControl10* CreateGraph(IPlugBase* plug, IGraphics* graphics, int paramIdx, int id, const char* path, int x,
                              int y, int numCurves, int numCurveValues);
  IGUIResizeButtonControl2* CreateGUIResizeButton(IPlugBase* plug, IGraphics* graphics, int id, const char* path,
                                                  int frames, int x, int y, int paramIdx, int width, int height,
                                                  const char* label);
  // "v" and the version; position 1 centred on the editor's bottom edge.
  ITextControl* CreateVersion(IPlugBase* plug, IGraphics* graphics, const char* version, int position);
  IBitmapControl* CreateLogo(IPlugBase* plug, IGraphics* graphics, int id, const char* path, int position);
  IBitmapControl* CreatePlugName(IPlugBase* plug, IGraphics* graphics, int id, const char* path, int position);
  // manual is a path whose file name (after the last "/") is looked for
  // in the resource folder.
  IHelpButtonControl* CreateHelpButton(IPlugBase* plug, IGraphics* graphics, int id, const char* path,
                                       const char* manual, int position);

  // Attaches backObjects, diffuseObjects, controls, texts, each in order.
  void AddAllObjects(IGraphics* graphics);

  const std::vector<IControl*>& GetBackObjects() const { return mBackObjects; }
  const std::vector<IControl*>& GetControls() const { return mControls; }
  const std::vector<IControl*>& GetTexts() const { return mTexts; }
  const std::vector<IControl*>& GetDiffuseObjects() const { return mDiffuseObjects; }

  static const IColor kValueCaptionColor;

private:
  IText MakeText(int size, const IColor& color, int align, int style = IText::kStyleBold) const;

  IColor mTitleColor;
  IColor mLabelColor;
  IColor mVersionColor;
  std::vector<IControl*> mBackObjects;
  std::vector<IControl*> mControls;
  std::vector<IControl*> mTexts;
  std::vector<IControl*> mDiffuseObjects;
};
