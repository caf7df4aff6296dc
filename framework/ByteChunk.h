// Growable byte buffer of saved state: values appended in native byte order.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

class ByteChunk
{
public:
  int Size() const { return static_cast<int>(mBytes.size()); }
  const uint8_t* GetBytes() const { return mBytes.data(); }
  void Clear() { mBytes.clear(); }

  void PutBytes(const void* src, int n)
  {
    if (n <= 0 || !src)
      return;
    const auto* p = static_cast<const uint8_t*>(src);
    mBytes.insert(mBytes.end(), p, p + n);
  }
  template <class T>
  void Put(const T& v)
  {
    PutBytes(&v, sizeof v);
  }

  // Reads a T at pos; the position after it, or -1 when the chunk ends
  // before the value does (v is then left alone).
  template <class T>
  int Get(T* v, int pos) const
  {
    if (pos < 0 || static_cast<size_t>(pos) + sizeof(T) > mBytes.size())
      return -1;
    std::memcpy(v, mBytes.data() + pos, sizeof(T));
    return pos + static_cast<int>(sizeof(T));
  }

private:
  std::vector<uint8_t> mBytes;
};
