// Growable contiguous array of T. Its length counts values; shrinking keeps
// the storage, so a buffer that has reached its working size never allocates
// again (the audio thread relies on this).
#pragma once

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

template <class T>
class WDL_TypedBuf
{
public:
  static_assert(std::is_trivially_copyable<T>::value, "values are moved with memcpy");

  WDL_TypedBuf() = default;
  explicit WDL_TypedBuf(int n) { Resize(n); }

  T* Get() { return mData.data(); }
  const T* Get() const { return mData.data(); }
  int GetSize() const { return static_cast<int>(mData.size()); }
  bool IsEmpty() const { return mData.empty(); }

  T& operator[](int i) { return mData[static_cast<size_t>(i)]; }
  const T& operator[](int i) const { return mData[static_cast<size_t>(i)]; }

  // Values already present keep their values; added values are zero.
  T* Resize(int n)
  {
    mData.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return Get();
  }

  // Storage for n values without changing the length.
  void Reserve(int n)
  {
    if (n > 0)
      mData.reserve(static_cast<size_t>(n));
  }
  int GetCapacity() const { return static_cast<int>(mData.capacity()); }

  void Clear() { mData.clear(); }

  void Zero() { std::fill(mData.begin(), mData.end(), T{}); }

  void Add(const T& v) { mData.push_back(v); }

  // Appends n values copied from src, or n zeros when src is null.
  void Append(const T* src, int n)
  {
    if (n <= 0)
      return;
    const size_t old = mData.size();
    mData.resize(old + static_cast<size_t>(n));
    if (src)
      std::memcpy(mData.data() + old, src, sizeof(T) * static_cast<size_t>(n));
  }

  // n zeros followed by the old values.
  void InsertZerosFront(int n)
  {
    if (n <= 0)
      return;
    const size_t old = mData.size();
    mData.resize(old + static_cast<size_t>(n));
    std::memmove(mData.data() + n, mData.data(), sizeof(T) * old);
    std::fill(mData.begin(), mData.begin() + n, T{});
  }

  // Removes the first n values; n at or beyond the length empties the buffer.
  void ConsumeFront(int n)
  {
    if (n <= 0)
      return;
    if (static_cast<size_t>(n) >= mData.size())
    {
      mData.clear();
      return;
    }
    mData.erase(mData.begin(), mData.begin() + n);
  }

  // Copies the values of other; storage is reused when large enough.
  void CopyFrom(const WDL_TypedBuf& other) { CopyFrom(other.Get(), other.GetSize()); }
  void CopyFrom(const T* src, int n)
  {
    Resize(n);
    if (n > 0)
      std::memcpy(mData.data(), src, sizeof(T) * static_cast<size_t>(n));
  }

  T* begin() { return mData.data(); }
  T* end() { return mData.data() + mData.size(); }
  const T* begin() const { return mData.data(); }
  const T* end() const { return mData.data() + mData.size(); }

private:
  std::vector<T> mData;
};
