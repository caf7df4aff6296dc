#include "framework/HostNotificationQueue.h"

static_assert((HostNotificationQueue::kCapacity & (HostNotificationQueue::kCapacity - 1)) == 0,
              "positions wrap by masking");

HostNotificationQueue::HostNotificationQueue()
{
  for (size_t i = 0; i < kCapacity; ++i)
    mCells[i].sequence.store(i, std::memory_order_relaxed);
}

bool HostNotificationQueue::Push(const Notification& n)
{
  size_t pos = mEnqueue.load(std::memory_order_relaxed);
  for (;;)
  {
    Cell& cell = mCells[pos & (kCapacity - 1)];
    const size_t seq = cell.sequence.load(std::memory_order_acquire);
    const auto diff = static_cast<std::ptrdiff_t>(seq) - static_cast<std::ptrdiff_t>(pos);
    if (diff == 0)
    {
      if (mEnqueue.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed))
      {
        cell.notification = n;
        cell.sequence.store(pos + 1, std::memory_order_release);
        return true;
      }
    }
    else if (diff < 0)
    {
      mDropped.fetch_add(1, std::memory_order_relaxed);
      return false;
    }
    else
      pos = mEnqueue.load(std::memory_order_relaxed);
  }
}

bool HostNotificationQueue::Pop(Notification* n)
{
  size_t pos = mDequeue.load(std::memory_order_relaxed);
  for (;;)
  {
    Cell& cell = mCells[pos & (kCapacity - 1)];
    const size_t seq = cell.sequence.load(std::memory_order_acquire);
    const auto diff = static_cast<std::ptrdiff_t>(seq) - static_cast<std::ptrdiff_t>(pos + 1);
    if (diff == 0)
    {
      if (mDequeue.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed))
      {
        *n = cell.notification;
        cell.sequence.store(pos + kCapacity, std::memory_order_release);
        return true;
      }
    }
    else if (diff < 0)
      return false;
    else
      pos = mDequeue.load(std::memory_order_relaxed);
  }
}

void HostNotificationQueue::Clear()
{
  Notification n;
  while (Pop(&n))
  {
  }
}
