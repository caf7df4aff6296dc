// Counts heap allocations made by the calling thread while a scope is open.
#pragma once

#include <cstddef>

class AllocationCounter
{
public:
  AllocationCounter();
  ~AllocationCounter();
  size_t Count() const;

private:
  size_t mStart;
};
