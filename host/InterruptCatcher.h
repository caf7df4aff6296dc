#pragma once

#include <csignal>

// While one exists, Ctrl-C (SIGINT), and SIGTERM too when asked, only sets a
// flag that long work polls on its own thread, so that it can stop cleanly;
// the earlier handlers come back when it goes. One at a time.
class InterruptCatcher
{
public:
  explicit InterruptCatcher(bool alsoTerminate = false);
  ~InterruptCatcher();

  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  static bool interrupted();

private:
  bool mTerminate;
  struct sigaction mOld = {};
  struct sigaction mOldTerminate = {};
};
