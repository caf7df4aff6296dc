// Keeps the X errors of one of our own display connections away from the
// host: while a trap lives, errors on that connection are recorded instead
// of reaching the installed handler (Xlib's default one ends the process),
// and errors on every other connection still go to the handler the host had.
// The host's handler is back in place when the last trap goes.
#pragma once

class XErrorTrap
{
public:
  explicit XErrorTrap(void* display); // X11 Display*; null traps nothing
  ~XErrorTrap();

  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

  // Waits for the server to answer everything sent so far; true when any
  // request on the connection failed since the trap was set.
  bool Failed();
  // The first error code caught, 0 while none.
  int ErrorCode() const { return mError; }

  // For the handler.
  static int Handle(void* display, void* errorEvent);

private:
  void* mDisplay;
  XErrorTrap* mOuter = nullptr;
  int mError = 0;
};
