#pragma once

#include "HostSession.h"

// What `crest-host latency` asks for.
struct LatencyOptions
{
  SessionOptions session;
  double seconds = 10.0;
  int block = 256;
  int idleMs = 40;
  bool realtime = false;   // the audio thread at a real-time priority
  bool noEditor = false;   // the same run with the editor closed
  bool stateChurn = false; // a second host thread saving and restoring state
  bool drag = false;       // camera drags on the editor's graph
};

// Plays the input in real time on an audio thread, in blocks of `block`
// frames, while this thread opens the editor and idles it every idleMs as a
// host does (optionally making camera drags with X events in between), and
// optionally a third thread saves, restores and reads back the state every
// 100 ms. Reports the render calls in which the audio thread slept
// (voluntary context switches inside the call), the render call's duration
// (median, 99th and 99.9th percentiles, maximum), the host notifications
// made from the audio thread, the state read-backs that differed from what
// was restored, whether the drags turned the camera, and the CPU shares.
// Exits 1 when a render call slept or a read-back differed.
class LatencyCommand
{
public:
  static int run(const LatencyOptions& options);
};
