#pragma once

#include <csignal>

// While one exists, Ctrl-C (SIGINT) only sets a flag that long work polls on
// its own thread, so that it can stop cleanly; the earlier handler comes
// back when it goes. One at a time.
class InterruptCatcher
{
public:
  InterruptCatcher();
  ~InterruptCatcher();

  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  static bool interrupted();

private:
  struct sigaction mOld = {};
};
