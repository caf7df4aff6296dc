// The plug-in's recursive mutex: the thread that holds it may enter again.
#pragma once

#include <mutex>

class WDL_Mutex
{
public:
  void Enter() { mMutex.lock(); }
  void Leave() { mMutex.unlock(); }
  bool TryEnter() { return mMutex.try_lock(); }

private:
  std::recursive_mutex mMutex;
};

// Holds a WDL_Mutex for the lifetime of the scope.
class WDL_MutexLock
{
public:
  explicit WDL_MutexLock(WDL_Mutex* m) : mMutex(m)
  {
    if (mMutex)
      mMutex->Enter();
  }
  ~WDL_MutexLock()
  {
    if (mMutex)
      mMutex->Leave();
  }
  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;

private:
  WDL_Mutex* mMutex;
};
