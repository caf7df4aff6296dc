// The editor's background picture, stretched to the editor's size when it
// has another (once per size; the redraws copy the result), or black
// without a picture.
#pragma once

#include "framework/IBitmap.h"
#include "framework/IRECT.h"

#include <memory>

class LICE_IBitmap;
class LICE_MemBitmap;

class IBackground
{
public:
  IBackground();
  ~IBackground();

  void Set(const IBitmap& picture);
  // The editor changed size: the stretched copy is made again when needed.
  void ForgetScaled();
  // Fills clip of dest, an editor of width x height.
  void Draw(LICE_IBitmap* dest, const IRECT& clip, int width, int height);

private:
  IBitmap mPicture;
  std::unique_ptr<LICE_MemBitmap> mScaled;
};
