// A picture that opens the manual with the desktop's default viewer when
// clicked. Its value never changes, so it always shows its first frame.
#pragma once

#include "framework/IBitmapControl.h"

#include <string>

class IHelpButtonControl : public IBitmapControl
{
public:
  IHelpButtonControl(IPlugBase* plug, IRECT rect, IBitmap* bitmap, const char* path);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  const char* GetPath() const { return mPath.c_str(); }

  // Starts "xdg-open PATH" in the background: an argument vector, no shell,
  // so nothing in the path is interpreted. False when no process started.
  static bool OpenWithDesktop(const char* path);

protected:
  std::string mPath; // at most 1023 bytes
};
