// An Xvfb server of a test's own (the suite's display is shared with the
// tests that run beside it), for pictures no other window can cover.
#pragma once

#include "tests/support/ChildProcess.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _XDisplay Display; // NOLINT(bugprone-reserved-identifier): Xlib's name

// Xlib's headers stay out, for their macros clash with GoogleTest's names.
class PrivateDisplay
{
public:
  using Window = unsigned long;

  // Starts Xvfb on a free display number and connects to it; throws when
  // it does not come up.
  explicit PrivateDisplay(const std::string& log);
  ~PrivateDisplay();

  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;

  // ":N", for the DISPLAY of the programs shown on it.
  const std::string& name() const { return mName; }
  // The first top-level window whose title starts with `prefix`, or 0.
  Window findWindow(const std::string& prefix);
  // The window's pixels as 0xRRGGBB, row by row; empty when it is gone.
  std::vector<uint32_t> picture(Window window, int& width, int& height);
  // Asks the window to close, as a window manager's close button does.
  void close(Window window);

private:
  std::unique_ptr<ChildProcess> mServer;
  std::string mName;
  Display* mDisplay = nullptr;
};
