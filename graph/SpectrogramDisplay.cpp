#include "graph/SpectrogramDisplay.h"

#include "graph/ColorMap.h"
#include "graph/ColormapImageSource.h"
#include "graph/NanoVGExt.h"

#include <algorithm>

SpectrogramDisplay::SpectrogramDisplay(NVGcontext* vg) : mVg(vg) {}

SpectrogramDisplay::~SpectrogramDisplay()
{
  if (mVg == nullptr)
    return;
  for (int image : {mImage, mSecondImage, mColormapImage})
    if (image != 0)
      nvgDeleteImage(mVg, image);
}

void SpectrogramDisplay::SetNeedsUpdate(bool fullUpdate, bool updateSecondImage)
{
  mNeedsUpdate = true;
  mFullUpdate = mFullUpdate || fullUpdate;
  mUpdateSecondImage = mUpdateSecondImage || updateSecondImage;
}

void SpectrogramDisplay::SetBounds(double x0, double y0, double x1, double y1)
{
  mX0 = x0, mY0 = y0, mX1 = x1, mY1 = y1;
}

void SpectrogramDisplay::SetImageTransform(int image, double offset, double scale)
{
  if (image < 0 || image > 1)
    return;
  mOffset[image] = offset;
  mScale[image] = scale;
}

void SpectrogramDisplay::SetRangeContrast(double range, double contrast)
{
  mRange = range;
  mContrast = contrast;
}

void SpectrogramDisplay::SetSelection(const Selection* selection)
{
  mHasSelection = selection != nullptr;
  if (selection)
    mSelection = *selection;
}

void SpectrogramDisplay::RecreateImage(int* image, int w, int h)
{
  if (*image != 0)
    nvgDeleteImage(mVg, *image);
  *image = nvgCreateImageRGBA(mVg, w, h, NVG_IMAGE_FLOAT, reinterpret_cast<const unsigned char*>(mImageBuf.data()));
}

bool SpectrogramDisplay::Update()
{
  if (!mNeedsUpdate || mVg == nullptr)
    return false;
  const int w = mHistory ? mHistory->GetNumCols() : 0;
  const int h = mHistory ? std::max(mHistory->GetNumRows(), 1) : 1;

  if (w > 0)
  {
    if (mFullUpdate)
    {
      const bool sizeChanged = w != mImageW || h != mImageH || mImage == 0;
      mImageBuf.assign(static_cast<size_t>(w) * h, 0.0f);
      mHistory->FillImage(mImageBuf.data(), mRange, mContrast);
      const unsigned char* data = reinterpret_cast<const unsigned char*>(mImageBuf.data());
      if (sizeChanged)
      {
        RecreateImage(&mImage, w, h);
        if (mUpdateSecondImage)
          RecreateImage(&mSecondImage, w, h);
      }
      else
      {
        nvgUpdateImage(mVg, mImage, data);
        if (mUpdateSecondImage && mSecondImage != 0)
          nvgUpdateImage(mVg, mSecondImage, data);
        else if (mUpdateSecondImage)
          RecreateImage(&mSecondImage, w, h);
      }
      mImageW = w;
      mImageH = h;
    }

    if (ColorMap* colorMap = mHistory->GetColorMap())
    {
      const size_t lastEntries = mColormapData.size() / 4;
      colorMap->GetData(&mColormapData);
      const int entries = static_cast<int>(mColormapData.size() / 4);
      if (entries > 0 && (static_cast<size_t>(entries) != lastEntries || mColormapImage == 0))
      {
        if (mColormapImage != 0)
          nvgDeleteImage(mVg, mColormapImage);
        mColormapImage = nvgCreateImageRGBA(mVg, entries, 1, NVG_IMAGE_NEAREST, mColormapData.data());
      }
      else if (entries > 0)
        nvgUpdateImage(mVg, mColormapImage, mColormapData.data());
    }
  }
  else
  {
    // Nothing to show yet: one column of zeros.
    mImageBuf.assign(static_cast<size_t>(h), 0.0f);
    RecreateImage(&mImage, 1, h);
    RecreateImage(&mSecondImage, 1, h);
    mImageW = 1;
    mImageH = h;
  }

  mNeedsUpdate = false;
  mFullUpdate = false;
  mUpdateSecondImage = false;
  return true;
}

void SpectrogramDisplay::Draw(int width, int height)
{
  if (!mShow || mVg == nullptr)
    return;
  const float x = static_cast<float>(mX0 * width), y = static_cast<float>(mY0 * height);
  const float w = static_cast<float>((mX1 - mX0) * width), h = static_cast<float>((mY1 - mY0) * height);

  nvgSave(mVg);
  nvgSetColormap(mVg, mColormapImage);
  const int images[2] = {mSecondImage, mImage};
  const int index[2] = {1, 0};
  for (int k = 0; k < 2; k++)
  {
    if (images[k] == 0)
      continue;
    const NVGpaint pattern = nvgImagePattern(mVg, x, y, w, h, 0.0f, images[k], mAlpha);
    nvgResetTransform(mVg);
    nvgTranslate(mVg, static_cast<float>(width * mOffset[index[k]]), 0.0f);
    nvgScale(mVg, static_cast<float>(mScale[index[k]] - mOffset[index[k]]), 1.0f);
    nvgBeginPath(mVg);
    nvgRect(mVg, x, y, w, h);
    nvgFillPaint(mVg, pattern);
    nvgFill(mVg);
    nvgResetTransform(mVg);
  }
  nvgRestore(mVg);
}

void SpectrogramDisplay::DrawOverlay(int width, int height)
{
  if (!mHasSelection || mVg == nullptr)
    return;
  const Selection& s = mSelection;
  const float xa = static_cast<float>((s.a * (s.x1 - s.x0) + s.x0) * width);
  const float xb = static_cast<float>((s.b * (s.x1 - s.x0) + s.x0) * width);
  const float ya = static_cast<float>(s.y0 * height), yb = static_cast<float>(s.y1 * height);
  nvgSave(mVg);
  nvgStrokeWidth(mVg, 2.0f);
  nvgStrokeColor(mVg, nvgRGBA(255, 255, 255, 255));
  nvgBeginPath(mVg);
  nvgMoveTo(mVg, xa, ya);
  nvgLineTo(mVg, xb, ya);
  nvgLineTo(mVg, xb, yb);
  nvgLineTo(mVg, xa, yb);
  nvgLineTo(mVg, xa, ya);
  nvgStroke(mVg);
  nvgRestore(mVg);
}
