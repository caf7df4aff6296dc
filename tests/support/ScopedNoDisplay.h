// Hides the X display from everything created in its scope: code under test
// then runs as on a machine without one.
#pragma once

#include <cstdlib>
#include <string>

class ScopedNoDisplay
{
public:
  ScopedNoDisplay()
  {
    const char* display = std::getenv("DISPLAY");
    mHad = display != nullptr;
    if (mHad)
      mDisplay = display;
    unsetenv("DISPLAY");
  }
  ~ScopedNoDisplay()
  {
    if (mHad)
      setenv("DISPLAY", mDisplay.c_str(), 1);
  }
  ScopedNoDisplay(const ScopedNoDisplay&) = delete;
  ScopedNoDisplay& operator=(const ScopedNoDisplay&) = delete;

private:
  bool mHad = false;
  std::string mDisplay;
};
