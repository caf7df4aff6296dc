// What a spectrogram layer shows: a grid of values (columns over time, rows
// over frequency) that fills a float image, and the colormap it is seen
// through. Implemented by whoever keeps the spectrogram data.
#pragma once

class ColorMap;

class ColormapImageSource
{
public:
  virtual ~ColormapImageSource() = default;
  virtual int GetNumCols() const = 0;
  virtual int GetNumRows() const = 0;
  // Hands range and contrast to the colormap, then writes cols * rows
  // floats, row by row, into image.
  virtual void FillImage(float* image, double range, double contrast) = 0;
  virtual ColorMap* GetColorMap() = 0;
};
