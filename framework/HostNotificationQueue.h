// Notifications for the host (gesture begin, value, gesture end, the
// editor's new size), queued where they arise and delivered later on the
// host's UI thread, outside every lock of ours.
//
// Threads: any thread may push and pop; nobody waits. A bounded ring in
// which each cell carries a sequence number: a producer claims a cell with
// one compare-and-swap (retried only when another producer won it) and
// publishes it with a release store. A full ring drops the notification and
// counts it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class HostNotificationQueue
{
public:
  struct Notification
  {
    enum Kind : uint8_t
    {
      kBegin,
      kValue,
      kEnd,
      kResize
    };
    Kind kind = kValue;
    // A value sent again for a redraw, not a change.
    bool echo = false;
    int idx = -1;
    double value = 0.0;
    int width = 0, height = 0;
  };

  static constexpr size_t kCapacity = 1024;

  HostNotificationQueue();

  // False when the ring is full (the notification is dropped).
  bool Push(const Notification& n);
  // False when nothing is queued.
  bool Pop(Notification* n);
  // Drops everything queued; any thread that may Pop.
  void Clear();
  uint64_t Dropped() const { return mDropped.load(std::memory_order_relaxed); }

private:
  struct Cell
  {
    std::atomic<size_t> sequence{0};
    Notification notification;
  };

  Cell mCells[kCapacity];
  std::atomic<size_t> mEnqueue{0};
  std::atomic<size_t> mDequeue{0};
  std::atomic<uint64_t> mDropped{0};
};
