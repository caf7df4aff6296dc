// A bare plug-in object for tests and benchmarks: no parameters, one mono
// channel pair; it owns the mutex the graph control locks.
#pragma once

#include "framework/IPlugBase.h"

class FakePlug : public IPlugBase
{
public:
  FakePlug() : IPlugBase(0, "1-1-0", 1, "t", "", "m", 0, 0, 0, 0, false, false, false) {}
};
