#pragma once

#include <chrono>
#include <cstdint>

// A one-line progress bar with the time left, redrawn on stderr at most ten
// times a second.
class ProgressBar
{
public:
  // Shown only when stderr is a terminal and the work is long enough to wait for.
  static bool wanted(double audioSeconds);

  ProgressBar(int64_t total, bool enabled);
  ~ProgressBar();

  void update(int64_t done);
  // Clears the line so that the summary starts on a clean one.
  void finish();

private:
  void draw(int64_t done);

  int64_t mTotal;
  bool mEnabled;
  bool mDrawn = false;
  std::chrono::steady_clock::time_point mLastDraw;
  std::chrono::steady_clock::time_point mBegan = std::chrono::steady_clock::now();
};
