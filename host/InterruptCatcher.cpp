#include "InterruptCatcher.h"

namespace
{
volatile std::sig_atomic_t gInterrupted = 0;

void onInterrupt(int) { gInterrupted = 1; }
} // namespace

InterruptCatcher::InterruptCatcher()
{
  gInterrupted = 0;
  struct sigaction action = {};
  action.sa_handler = &onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &mOld);
}

InterruptCatcher::~InterruptCatcher() { sigaction(SIGINT, &mOld, nullptr); }

bool InterruptCatcher::interrupted() { return gInterrupted != 0; }
