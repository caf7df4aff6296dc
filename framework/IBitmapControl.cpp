#include "framework/IBitmapControl.h"

#include "framework/IGraphics.h"

IBitmapControl::IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
  : IControl(plug, IRECT(x, y, x + (bitmap ? bitmap->W : 0), y + (bitmap ? bitmap->FrameHeight() : 0)), paramIdx,
             IChannelBlend(blendMethod)),
    mBitmap(bitmap ? *bitmap : IBitmap())
{
}

IBitmapControl::IBitmapControl(IPlugBase* plug, IRECT rect, IBitmap* bitmap, IChannelBlend blend)
  : IControl(plug, rect, -1, blend), mBitmap(bitmap ? *bitmap : IBitmap())
{
}

bool IBitmapControl::Draw(IGraphics* graphics)
{
  return graphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mValue, mBitmap.N), &mBlend);
}
