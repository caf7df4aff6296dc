// Fades the first analysed block after a reset in over its first half, so
// the analysis does not see a step where the sound starts.
#pragma once

#include "framework/WDL_TypedBuf.h"

#include <vector>

class SecureRestarter
{
public:
  // Applies the fade once to every buffer of the first buffer's length; an
  // empty list leaves the fade armed.
  void Process(std::vector<WDL_TypedBuf<double>>& buffers, int count);
  void Rearm();
  // Room for a fade of up to n frames, so that Process never allocates.
  void Reserve(int n) { mWindow.Reserve(n); }
  bool IsArmed() const { return mArmed; }

private:
  bool mArmed = true;
  int mWindowLength = -1;
  WDL_TypedBuf<double> mWindow;
};
