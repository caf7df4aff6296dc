// A control that shows one frame of a picture, chosen by its value.
#pragma once

#include "framework/IBitmap.h"
#include "framework/IControl.h"

class IBitmapControl : public IControl
{
public:
  IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  // Without a parameter; the rectangle is given.
  IBitmapControl(IPlugBase* plug, IRECT rect, IBitmap* bitmap, IChannelBlend blend = IChannelBlend());

  bool Draw(IGraphics* graphics) override;
  const IBitmap& GetBitmap() const { return mBitmap; }

protected:
  IBitmap mBitmap;
};
