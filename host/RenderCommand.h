#pragma once

#include "HostSession.h"

#include <string>

struct RenderOptions
{
  SessionOptions session;
  std::string output;
  double at = 2.0;
  std::string size; // "WxH": the graph alone; empty: the whole editor
};

// `crest-host render`: the editor's picture after the first `at` seconds of
// audio, written as a PNG.
class RenderCommand
{
public:
  static int run(const RenderOptions& options);
  static const char* noDisplayMessage();
};
