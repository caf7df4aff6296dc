#include "EditorLoop.h"

#include <algorithm>
#include <chrono>

namespace
{
constexpr auto kIdlePeriod = std::chrono::milliseconds(40); // 25 times a second
}

void EditorLoop::watch(EffectInstance& effect)
{
  // Xlib is only touched on the window's thread, so the size waits here
  // until the loop applies it.
  effect.onViewResized(
    [this](int w, int h) { mPendingSize = (static_cast<int64_t>(w) << 32) | static_cast<uint32_t>(h); });
}

bool EditorLoop::run(EditorWindow& window, EffectInstance& effect, const std::function<bool()>& keepGoing)
{
  using Clock = std::chrono::steady_clock;
  auto nextIdle = Clock::now();
  while (keepGoing())
  {
    const int wait = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(nextIdle - Clock::now()).count());
    if (!window.processEvents(std::max(0, wait)))
      return true;
    const int64_t size = mPendingSize.exchange(-1);
    if (size >= 0)
      window.resize(static_cast<int>(size >> 32), static_cast<int>(size & 0xFFFFFFFF));
    if (Clock::now() >= nextIdle)
    {
      effect.idleEditor();
      window.flush();
      nextIdle += kIdlePeriod;
      // After a stall, carry on from now rather than catching up.
      if (nextIdle < Clock::now())
        nextIdle = Clock::now() + kIdlePeriod;
    }
  }
  return false;
}
