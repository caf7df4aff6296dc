#pragma once

#include "EditorWindow.h"
#include "EffectInstance.h"

#include <atomic>
#include <cstdint>
#include <functional>

// The interface thread of a host with the editor open in a window: handles
// the window's events, applies the sizes the effect reports and idles the
// editor 25 times a second. Every call belongs to the thread that owns the
// window.
class EditorLoop
{
public:
  // Routes the effect's size reports to this loop. The effect may report a
  // size from any call, also while it closes, so the loop outlives it.
  void watch(EffectInstance& effect);

  // Runs until keepGoing() turns false (asked at least at every idle) or the
  // window is closed; true when the window was closed.
  bool run(EditorWindow& window, EffectInstance& effect, const std::function<bool()>& keepGoing);

private:
  // Width in the high and height in the low 32 bits; -1 when none waits.
  std::atomic<int64_t> mPendingSize{-1};
};
