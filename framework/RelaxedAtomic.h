// A value that one thread may write while another reads it, with no order
// implied beyond the value itself: control values and dirty flags that the
// audio thread touches while the editor's thread draws.
#pragma once

#include <atomic>

template <typename T>
class RelaxedAtomic
{
public:
  RelaxedAtomic(T v = T()) : mValue(v) {}
  RelaxedAtomic(const RelaxedAtomic& other) : mValue(other.load()) {}
  RelaxedAtomic& operator=(const RelaxedAtomic& other)
  {
    store(other.load());
    return *this;
  }
  RelaxedAtomic& operator=(T v)
  {
    store(v);
    return *this;
  }
  operator T() const { return load(); }
  T load() const { return mValue.load(std::memory_order_relaxed); }
  void store(T v) { mValue.store(v, std::memory_order_relaxed); }
  T exchange(T v) { return mValue.exchange(v, std::memory_order_relaxed); }
  // Read-modify-write by the one thread that writes the value.
  RelaxedAtomic& operator+=(T d)
  {
    store(load() + d);
    return *this;
  }

private:
  std::atomic<T> mValue;
};
