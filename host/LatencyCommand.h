#pragma once

#include "HostSession.h"

// What `crest-host latency` asks for: how long the effect's render call takes
// while its editor is open and idled as a host idles it.
struct LatencyOptions
{
  SessionOptions session;
  double seconds = 10.0;
  int block = 256;
  int idleMs = 40;
  bool realtime = false; // the audio thread at a real-time priority
};

// Plays the input in real time on an audio thread, in blocks of `block`
// frames, while this thread opens the editor and idles it every idleMs;
// reports the render call's duration (median, 99th and 99.9th percentiles,
// maximum), the blocks that took longer than their own duration, and the
// CPU share of the editor's thread and of the whole process.
class LatencyCommand
{
public:
  static int run(const LatencyOptions& options);
};
