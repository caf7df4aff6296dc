#include "tests/support/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local size_t tAllocations = 0;
thread_local int tCounting = 0;

void* Allocate(size_t size)
{
  if (tCounting)
    ++tAllocations;
  if (void* p = std::malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}

void* AllocateAligned(size_t size, std::align_val_t align)
{
  if (tCounting)
    ++tAllocations;
  const size_t a = static_cast<size_t>(align);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a))
    return p;
  throw std::bad_alloc();
}
} // namespace

AllocationCounter::AllocationCounter() : mStart(tAllocations) { ++tCounting; }
AllocationCounter::~AllocationCounter() { --tCounting; }
size_t AllocationCounter::Count() const { return tAllocations - mStart; }

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
  try
  {
    return Allocate(size);
  }
  catch (...)
  {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
  try
  {
    return Allocate(size);
  }
  catch (...)
  {
    return nullptr;
  }
}
void* operator new(size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void* operator new[](size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { std::free(p); }
