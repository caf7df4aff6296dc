#include "InterruptCatcher.h"

namespace
{
volatile std::sig_atomic_t gInterrupted = 0;

void onInterrupt(int) { gInterrupted = 1; }
} // namespace

InterruptCatcher::InterruptCatcher(bool alsoTerminate) : mTerminate(alsoTerminate)
{
  gInterrupted = 0;
  struct sigaction action = {};
  action.sa_handler = &onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &mOld);
  if (mTerminate)
    sigaction(SIGTERM, &action, &mOldTerminate);
}

InterruptCatcher::~InterruptCatcher()
{
  if (mTerminate)
    sigaction(SIGTERM, &mOldTerminate, nullptr);
  sigaction(SIGINT, &mOld, nullptr);
}

bool InterruptCatcher::interrupted() { return gInterrupted != 0; }
