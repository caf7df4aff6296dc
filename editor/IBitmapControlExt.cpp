#include "editor/IBitmapControlExt.h"

#include "framework/IGraphics.h"

IBitmapControlExt::IBitmapControlExt(IPlugBase* plug, IRECT rect, IBitmap* bitmap, IChannelBlend blend)
  : IBitmapControl(plug, rect, bitmap, blend)
{
}

bool IBitmapControlExt::Draw(IGraphics* graphics)
{
  if (mFrame > mBitmap.N || mFrame < 1)
    return false;
  return graphics->DrawBitmap(&mBitmap, &mRECT, mFrame, &mBlend);
}
