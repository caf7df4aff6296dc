// The editor's native window: a plain X11 window made with Pugl (no GL),
// inside the host's parent window when there is one. It turns the window
// system's events into the editor's mouse, wheel, key and expose calls,
// decides what counts as a system double click, and shows regions of the
// editor's drawing surface.
#pragma once

#include "framework/IRECT.h"

#include <cstdint>

class IGraphics;
class LICE_SysBitmap;

class IGraphicsWindow
{
public:
  // Null when no display or window can be had.
  static IGraphicsWindow* Open(IGraphics* graphics, uintptr_t parent, int w, int h);
  ~IGraphicsWindow();

  IGraphicsWindow(const IGraphicsWindow&) = delete;
  IGraphicsWindow& operator=(const IGraphicsWindow&) = delete;

  // False once the window went without us (its parent was destroyed) or a
  // request on it failed: nothing is drawn to it any more.
  bool IsAlive() const { return !mGone; }
  // Whether the id names an existing window on the connection.
  static bool IsWindowOf(void* display, uintptr_t window);

  uintptr_t GetNativeWindow() const;
  void* GetDisplay() const; // X11 Display*
  // Handles every event waiting, without blocking.
  void ProcessEvents();
  void Show(LICE_SysBitmap* bitmap, const IRECT& region);
  void SetSize(int w, int h);

  // Two presses of one button count as a double click when the second comes
  // within this time and this distance of the first.
  static constexpr double kDoubleClickSeconds = 0.4;
  static constexpr int kDoubleClickDistance = 4;

  // For the event callback.
  void HandleEvent(const void* puglEvent);

private:
  // A press of the left or right button: a double click when it repeats the
  // last single one soon enough and near enough.
  void HandleButtonPress(const void* buttonEvent);
  void HandleKeyPress(const void* keyEvent);
  IGraphicsWindow(IGraphics* graphics);

  IGraphics* mGraphics;
  void* mWorld = nullptr; // PuglWorld*
  void* mView = nullptr;  // PuglView*
  unsigned mButtons = 0;  // bit per button held
  double mLastPressTime = -1.0;
  unsigned mLastPressButton = 0;
  int mLastPressX = 0, mLastPressY = 0;
  bool mLastWasDouble = false;
  int mPointerX = 0, mPointerY = 0;
  bool mGone = false;
};
