#include "framework/IBackground.h"

#include "framework/LICE_Blit.h"
#include "framework/LICE_MemBitmap.h"

IBackground::IBackground() = default;

IBackground::~IBackground() = default;

void IBackground::Set(const IBitmap& picture)
{
  mPicture = picture;
  mScaled.reset();
}

void IBackground::ForgetScaled() { mScaled.reset(); }

void IBackground::Draw(LICE_IBitmap* dest, const IRECT& clip, int width, int height)
{
  if (!mPicture.mData || mPicture.W <= 0 || mPicture.H <= 0)
  {
    LICE_FillRect(dest, clip, LICE_RGBA(0, 0, 0, 255), 1.0f, &clip);
    return;
  }
  LICE_IBitmap* picture = mPicture.mData;
  if (mPicture.W != width || mPicture.H != height)
  {
    if (!mScaled)
    {
      mScaled = std::make_unique<LICE_MemBitmap>(width, height);
      LICE_ScaledBlit(mScaled.get(), picture, IRECT(0, 0, width, height));
    }
    picture = mScaled.get();
  }
  LICE_Blit(dest, picture, clip.L, clip.T, clip.L, clip.T, clip.W(), clip.H(), 1.0f, IChannelBlend::kBlendClobber,
            &clip);
}
