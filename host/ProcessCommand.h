#pragma once

#include "HostSession.h"

#include <string>

struct ProcessOptions
{
  SessionOptions session;
  std::string output;
  std::string saveState;
  int block = 512;
  bool transport = false;
};

// `crest-host process`: the input (or the demo) through the effect, block by
// block, with a check that the output is the input bit for bit.
class ProcessCommand
{
public:
  static int run(const ProcessOptions& options);
};
