#include "editor/IRadioButtonsControlExt.h"

#include "editor/IBitmapControlExt.h"

IRadioButtonsControlExt::IRadioButtonsControlExt(IPlugBase* plug, IRECT rect, int paramIdx, int nButtons,
                                                 IBitmap* bitmap, EDirection direction, bool reverse)
  : IRadioButtonsControl(plug, rect, paramIdx, nButtons, bitmap, direction, reverse)
{
}

bool IRadioButtonsControlExt::Draw(IGraphics* graphics)
{
  const bool drawn = IRadioButtonsControl::Draw(graphics);
  if (static_cast<int>(mGlows.size()) != NButtons())
    return drawn;
  const int selected = SelectedButton();
  for (int k = 0; k < NButtons(); ++k)
  {
    const int frame = k == selected ? 2 : 1;
    // Only a glow whose frame changes is redrawn: the glows lie under this
    // control, so marking them at every draw would redraw both forever.
    if (mGlows[k]->GetFrame() != frame)
    {
      mGlows[k]->SetFrame(frame);
      mGlows[k]->SetDirty(true);
    }
  }
  return drawn;
}

void IRadioButtonsControlExt::SetDiffuseBitmaps(const std::vector<IBitmapControlExt*>& glows) { mGlows = glows; }
