#pragma once

#include "HostSession.h"

// `crest-host show`: the editor in a window while the input (or the demo)
// plays through the effect, looped, at real-time pace.
class ShowCommand
{
public:
  static int run(const SessionOptions& options);
  static const char* noDisplayMessage();
};
