#include "plugin/SecureRestarter.h"

#include <cmath>

void SecureRestarter::Process(std::vector<WDL_TypedBuf<double>>& buffers, int count)
{
  if (count <= 0 || buffers.empty() || !mArmed)
    return;

  const int length = buffers[0].GetSize();
  if (length != mWindowLength)
  {
    // A full Hann window; only its rising half is used.
    mWindow.Resize(length);
    for (int i = 0; i < length; ++i)
      mWindow[i] = 0.5 * (1.0 - std::cos(2.0 * M_PI * i / (length - 1)));
    mWindowLength = length;
  }

  for (int b = 0; b < count && b < static_cast<int>(buffers.size()); ++b)
  {
    WDL_TypedBuf<double>& buf = buffers[b];
    if (buf.GetSize() != length)
      continue;
    for (int i = 0; i < length / 2; ++i)
      buf[i] *= mWindow[i];
  }
  mArmed = false;
}

void SecureRestarter::Rearm() { mArmed = true; }
