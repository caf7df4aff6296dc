#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr double kLongAudioSeconds = 30.0;
constexpr int kWidth = 40;
}

bool ProgressBar::wanted(double audioSeconds)
{
  return audioSeconds >= kLongAudioSeconds && isatty(STDERR_FILENO) == 1;
}

ProgressBar::ProgressBar(int64_t total, bool enabled) : mTotal(std::max<int64_t>(1, total)), mEnabled(enabled) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(int64_t done)
{
  if (!mEnabled)
    return;
  const auto now = std::chrono::steady_clock::now();
  if (mDrawn && now - mLastDraw < std::chrono::milliseconds(100))
    return;
  mLastDraw = now;
  draw(done);
}

void ProgressBar::draw(int64_t done)
{
  const double fraction = std::clamp(static_cast<double>(done) / mTotal, 0.0, 1.0);
  const int filled = static_cast<int>(fraction * kWidth);
  char bar[kWidth + 1];
  for (int i = 0; i < kWidth; ++i)
    bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = '\0';
  // The time left at the pace so far, once there is a pace to speak of.
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - mBegan).count();
  const long left = fraction > 0.01 ? std::lround(elapsed * (1.0 - fraction) / fraction) : -1;
  char rest[32] = "";
  if (left >= 0)
    std::snprintf(rest, sizeof rest, "  %ld:%02ld left", left / 60, left % 60);
  std::fprintf(stderr, "\r[%s] %3d%%%-14s", bar, static_cast<int>(fraction * 100.0), rest);
  std::fflush(stderr);
  mDrawn = true;
}

void ProgressBar::finish()
{
  if (!mDrawn)
    return;
  std::fprintf(stderr, "\r%*s\r", kWidth + 22, "");
  std::fflush(stderr);
  mDrawn = false;
}
