#pragma once

#include "HostSession.h"

#include <string>
#include <vector>

// What `crest-host live` asks for on its command line.
struct LiveOptions
{
  SessionOptions session; // the settings, the state and the editor size; no input
  std::string name = "qx-crest";
  std::vector<std::string> connectIn;
  std::vector<std::string> connectOut;
  bool editor = true;
};

// `crest-host live`: the stereo effect as a JACK client (two inputs, two
// outputs, the input passed through bit for bit) with its editor in a
// window, until SIGINT, SIGTERM, the window's close button or the server's
// end.
class LiveCommand
{
public:
  static int run(const LiveOptions& options);
};
