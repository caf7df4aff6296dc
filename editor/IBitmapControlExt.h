// A picture whose frame its owner chooses (1-based), whatever its value; a
// frame above the picture's frame count shows nothing. The radio buttons'
// glows are of this kind.
#pragma once

#include "framework/IBitmapControl.h"

class IBitmapControlExt : public IBitmapControl
{
public:
  IBitmapControlExt(IPlugBase* plug, IRECT rect, IBitmap* bitmap, IChannelBlend blend = IChannelBlend());

  bool Draw(IGraphics* graphics) override;
  void SetFrame(int frame) { mFrame = frame; }
  int GetFrame() const { return mFrame; }

protected:
  int mFrame = 1;
};
