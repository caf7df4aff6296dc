// A colormapped spectrogram layer of the graph: the history's values kept
// as float images that the renderer recolours per pixel through a colormap
// texture, so a new colormap re-uploads only the small colormap texture.
// Owned by the graph control, which calls Update at the start of a frame
// and Draw / DrawOverlay at their places in it, with the context current.
#pragma once

#include <cstdint>
#include <vector>

struct NVGcontext;
class ColormapImageSource;

class SpectrogramDisplay
{
public:
  // A frame drawn over the layer between two normalised positions a and b.
  struct Selection
  {
    double x0 = 0.0, y0 = 0.0, x1 = 1.0, y1 = 1.0;
    double a = 0.0, b = 1.0;
  };

  explicit SpectrogramDisplay(NVGcontext* vg);
  // Deletes its images from the renderer (context current).
  virtual ~SpectrogramDisplay();

  SpectrogramDisplay(const SpectrogramDisplay&) = delete;
  SpectrogramDisplay& operator=(const SpectrogramDisplay&) = delete;

  // Not owned.
  void SetHistory(ColormapImageSource* history) { mHistory = history; }
  // Asks the next Update for new images (full: the values too; second:
  // also the second image).
  void SetNeedsUpdate(bool fullUpdate, bool updateSecondImage);
  void SetShow(bool show) { mShow = show; }
  void SetAlpha(float alpha) { mAlpha = alpha; }
  void SetBounds(double x0, double y0, double x1, double y1);
  // Horizontal offset and scale of image 0 (main) or 1 (second).
  void SetImageTransform(int image, double offset, double scale);
  void SetRangeContrast(double range, double contrast);
  // Null removes the selection frame.
  void SetSelection(const Selection* selection);

  // Uploads what changed; true when something did (the graph redraws).
  bool Update();
  void Draw(int width, int height);
  void DrawOverlay(int width, int height);

  int GetImage() const { return mImage; }
  int GetSecondImage() const { return mSecondImage; }
  int GetColormapImage() const { return mColormapImage; }

private:
  void RecreateImage(int* image, int w, int h);

  NVGcontext* mVg;
  ColormapImageSource* mHistory = nullptr;
  std::vector<float> mImageBuf;
  int mImageW = 0, mImageH = 0;
  int mImage = 0;
  int mSecondImage = 0;
  int mColormapImage = 0;
  std::vector<uint8_t> mColormapData;
  bool mNeedsUpdate = true;
  bool mFullUpdate = true;
  bool mUpdateSecondImage = false;
  bool mShow = true;
  float mAlpha = 1.0f;
  double mRange = 0.0, mContrast = 0.5;
  double mX0 = 0.0, mY0 = 0.0, mX1 = 1.0, mY1 = 1.0;
  double mOffset[2] = {0.0, 0.0};
  double mScale[2] = {1.0, 1.0};
  bool mHasSelection = false;
  Selection mSelection;
};
