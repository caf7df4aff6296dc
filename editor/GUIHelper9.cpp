#include "editor/GUIHelper9.h"

#include "editor/IBitmapControlExt.h"
#include "editor/IGUIResizeButtonControl2.h"
#include "editor/IHelpButtonControl.h"
#include "editor/IRadioButtonsControlExt.h"
#include "framework/IBitmapControl.h"
#include "framework/ICaptionControl.h"
#include "framework/IGraphics.h"
#include "framework/IKnobMultiControl.h"
#include "framework/IPlugBase.h"
#include "framework/ITextControl.h"
#include "graph/GraphControl10.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

const IColor GUIHelper9::kValueCaptionColor(255, 240, 240, 255);

GUIHelper9::GUIHelper9()
  : mTitleColor(255, 110, 110, 110), mLabelColor(255, 100, 100, 161), mVersionColor(255, 110, 110, 110)
{
}

GUIHelper9::~GUIHelper9() = default;

IText GUIHelper9::MakeText(int size, const IColor& color, int align, int style) const
{
  IText text;
  std::snprintf(text.mFont, sizeof text.mFont, "%s", "Tahoma");
  text.mSize = size;
  text.mColor = color;
  text.mStyle = static_cast<IText::EStyle>(style);
  text.mAlign = static_cast<IText::EAlign>(align);
  text.mTextEntryBGColor = IColor(255, 255, 255, 255);
  text.mTextEntryFGColor = IColor(255, 0, 0, 0);
  return text;
}

IKnobMultiControl* GUIHelper9::CreateKnob(IPlugBase* plug, IGraphics* graphics, int id, const char* path, int frames,
                                          int x, int y, int paramIdx, const char* title, int fieldId,
                                          const char* fieldPath, int titleSizeFlag, double sensitivity)
{
  IBitmap knob = graphics->LoadIBitmap(id, path, frames);
  auto* control = new IKnobMultiControl(plug, x, y, paramIdx, &knob, IKnobMultiControl::kVertical, 4.0 * sensitivity);
  mControls.push_back(control);

  CreateTitle(plug, knob, title, x, y, IText::kAlignCenter, titleSizeFlag, -15.0);
  IBitmap field;
  CreateTextField(plug, graphics, fieldId, fieldPath, x, y, knob, &field);
  CreateValueText(plug, x, y, paramIdx, knob, field);
  return control;
}

ITextControl* GUIHelper9::CreateTitle(IPlugBase* plug, const IBitmap& bitmap, const char* text, int x, int y,
                                      int align, int sizeFlag, double offset)
{
  int size = 20;
  if (sizeFlag == 1)
  {
    size = 13;
    offset *= 0.65;
  }
  const int b = static_cast<int>(std::trunc(y + offset));
  IText record = MakeText(size, mTitleColor, align);
  auto* control = new ITextControl(plug, IRECT(x, b - size, x + bitmap.W, b), &record, text);
  mTexts.push_back(control);
  return control;
}

IBitmapControl* GUIHelper9::CreateTextField(IPlugBase* plug, IGraphics* graphics, int id, const char* path, int x,
                                            int y, const IBitmap& knob, IBitmap* fieldOut)
{
  IBitmap field = graphics->LoadIBitmap(id, path, 1);
  const int left = x + knob.W / 2 - field.W / 2;
  const int top = y + 2 * (knob.FrameHeight() / 2) + field.H - 1;
  auto* control = new IBitmapControl(plug, IRECT(left, top, left + field.W, top + field.FrameHeight()), &field);
  control->SetMouseTransparent(true);
  mBackObjects.push_back(control);
  if (fieldOut)
    *fieldOut = field;
  return control;
}

ITextControl* GUIHelper9::CreateValueText(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap& knob,
                                          const IBitmap& field)
{
  const int left = x + knob.W / 2 - field.W / 2;
  const int top = y + knob.FrameHeight() + 14;
  IText text = MakeText(14, kValueCaptionColor, IText::kAlignCenter, IText::kStyleBold);
  text.mTextEntryBGColor = IColor(255, 0, 0, 0);
  text.mTextEntryFGColor = kValueCaptionColor;
  auto* control = new ICaptionControl(plug, IRECT(left, top, left + field.W, top + 14), paramIdx, &text, true);
  mTexts.push_back(control);
  return control;
}

IRadioButtonsControlExt* GUIHelper9::CreateRadioButtons(IPlugBase* plug, IGraphics* graphics, int id,
                                                        const char* path, int frames, int paramIdx, int glowId,
                                                        const char* glowPath, const RadioButtonsLayout& layout)
{
  IBitmap button = graphics->LoadIBitmap(id, path, frames);
  const int w = button.W, h = button.H, fh = button.FrameHeight();
  const int x = layout.x, y = layout.y, nButtons = layout.nButtons, span = layout.span;
  const bool horizontal = layout.horizontal;
  const int labelAlign = layout.labelAlign;

  CreateTitle(plug, button, layout.title, x, y, layout.titleAlign, 0, layout.titleOffset);

  // Labels beside a column, one per button; under a row.
  const int n = nButtons > 1 ? nButtons : 2;
  for (int i = 0; i < layout.numLabels && layout.labels; ++i)
  {
    int lx, ly;
    if (!horizontal)
    {
      const int step = h / 2 + (span - (h * nButtons) / 2) / (n - 1);
      ly = y + i * step;
      lx = labelAlign == IText::kAlignNear ? x + w + 6 : labelAlign == IText::kAlignFar ? x - 6 - w : x;
    }
    else
    {
      const int step = w + (span - w * nButtons) / (n - 1);
      lx = x + i * step;
      ly = y + fh + 6;
    }
    IText text = MakeText(15, mLabelColor, labelAlign);
    mTexts.push_back(new ITextControl(plug, IRECT(lx, ly, lx + w, ly), &text, layout.labels[i]));
  }

  const IRECT rect = horizontal ? IRECT(x, y, x + span, y + h) : IRECT(x, y, x + w, y + span);
  auto* radio = new IRadioButtonsControlExt(plug, rect, paramIdx, nButtons, &button,
                                            horizontal ? IRadioButtonsControl::kHorizontal
                                                       : IRadioButtonsControl::kVertical);
  mControls.push_back(radio);

  if (glowId >= 0 && glowPath && *glowPath)
  {
    IBitmap glow = graphics->LoadIBitmap(glowId, glowPath, frames);
    std::vector<IRECT> rects;
    radio->GetButtonRects(&rects);
    std::vector<IBitmapControlExt*> glows;
    for (const IRECT& r : rects)
    {
      const int left = (r.L + r.R) / 2 - glow.W / 2;
      const int top = (r.T + r.B) / 2 - glow.FrameHeight() / 2;
      auto* g = new IBitmapControlExt(plug, IRECT(left, top, left + glow.W, top + glow.FrameHeight()), &glow,
                                      IChannelBlend(IChannelBlend::kBlendMultiply, 1.0f));
      g->SetMouseTransparent(true);
      mDiffuseObjects.push_back(g);
      glows.push_back(g);
    }
    radio->SetDiffuseBitmaps(glows);
  }
  return radio;
}

GraphControl10* GUIHelper9::CreateGraph(IPlugBase* plug, IGraphics* graphics, int paramIdx, int id, const char* path,
                                        int x, int y, int numCurves, int numCurveValues)
{
  if (IParam* param = plug ? plug->GetParam(paramIdx) : nullptr)
  {
    param->InitInt("Graph", 0, 0, 1);
    param->SetIgnoreHostChanges(true);
  }
  IBitmap picture = graphics->LoadIBitmap(id, path, 1);
  const std::string font = graphics->ResourcePath("font.ttf");
  auto* graph = new GraphControl10(plug, graphics, IRECT(x, y, x + picture.W, y + picture.H), paramIdx, numCurves,
                                   numCurveValues, font.c_str());
  mControls.push_back(graph);
  return graph;
}

IGUIResizeButtonControl2* GUIHelper9::CreateGUIResizeButton(IPlugBase* plug, IGraphics* graphics, int id,
                                                            const char* path, int frames, int x, int y, int paramIdx,
                                                            int width, int height, const char* label)
{
  IBitmap bitmap = graphics->LoadIBitmap(id, path, frames);
  auto* button = new IGUIResizeButtonControl2(plug, IRECT(x, y, x + bitmap.W, y + bitmap.FrameHeight()), paramIdx,
                                              &bitmap, width, height);
  mControls.push_back(button);
  const int labelY = static_cast<int>(std::trunc(bitmap.H * 1.5 / (frames > 0 ? frames : 1) + y + 3.0));
  CreateTitle(plug, bitmap, label, x + 3, labelY, IText::kAlignNear, 0, -15.0);
  return button;
}

ITextControl* GUIHelper9::CreateVersion(IPlugBase* plug, IGraphics* graphics, const char* version, int position)
{
  char text[64];
  std::snprintf(text, sizeof text, "v%s", version ? version : "");
  const int W = graphics->Width(), H = graphics->Height();
  int x = 0, y = 0;
  if (position == 1)
    x = W / 2, y = H - 15;
  else if (position == 2)
    x = 0, y = H - 15;
  else if (position == 3)
    x = W - (static_cast<int>(std::strlen(text)) * 12) / 2 + 9, y = H - 15;
  IText record = MakeText(12, mVersionColor, position == 1 ? IText::kAlignCenter : IText::kAlignNear,
                          IText::kStyleNormal);
  auto* control = new ITextControl(plug, IRECT(x - 6, y, x + 6, y), &record, text);
  mTexts.push_back(control);
  return control;
}

IBitmapControl* GUIHelper9::CreateLogo(IPlugBase* plug, IGraphics* graphics, int id, const char* path, int position)
{
  IBitmap bitmap = graphics->LoadIBitmap(id, path, 1);
  const int W = graphics->Width(), H = graphics->Height();
  int x = 0, y = 0;
  if (position == 0)
    x = W - bitmap.W, y = 0;
  else if (position == 1)
    x = W - bitmap.W, y = H - 1 - bitmap.H;
  auto* control = new IBitmapControl(plug, IRECT(x, y, x + bitmap.W, y + bitmap.H), &bitmap);
  control->SetMouseTransparent(true);
  mBackObjects.push_back(control);
  return control;
}

IBitmapControl* GUIHelper9::CreatePlugName(IPlugBase* plug, IGraphics* graphics, int id, const char* path,
                                           int position)
{
  IBitmap bitmap = graphics->LoadIBitmap(id, path, 1);
  const int H = graphics->Height();
  int x = 0, y = 0;
  if (position == 0)
    x = 5, y = 6;
  else if (position == 1)
    x = 5, y = H - 13 - bitmap.H;
  auto* control = new IBitmapControl(plug, IRECT(x, y, x + bitmap.W, y + bitmap.H), &bitmap);
  control->SetMouseTransparent(true);
  mBackObjects.push_back(control);
  return control;
}

IHelpButtonControl* GUIHelper9::CreateHelpButton(IPlugBase* plug, IGraphics* graphics, int id, const char* path,
                                                 const char* manual, int position)
{
  IBitmap bitmap = graphics->LoadIBitmap(id, path, 1);
  const char* name = manual ? manual : "";
  if (const char* slash = std::strrchr(name, '/'))
    name = slash + 1;
  char full[1024];
  std::snprintf(full, sizeof full, "%s/%s", graphics->GetResourceDir().c_str(), name);
  const int W = graphics->Width(), H = graphics->Height();
  int x = 0, y = 0;
  if (position == 1)
    x = W - 44 - bitmap.W, y = H - 4 - bitmap.H;
  auto* control = new IHelpButtonControl(plug, IRECT(x, y, x + bitmap.W, y + bitmap.H), &bitmap, full);
  mBackObjects.push_back(control);
  return control;
}

void GUIHelper9::AddAllObjects(IGraphics* graphics)
{
  for (const std::vector<IControl*>* list : {&mBackObjects, &mDiffuseObjects, &mControls, &mTexts})
    for (IControl* c : *list)
      graphics->AttachControl(c);
}
