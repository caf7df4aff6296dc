#pragma once

#include "RenderCommand.h"

// `crest-host render IN --video OUT`: feeds the input through the effect in
// blocks as a host would and, at every video frame's time, takes the
// landscape the effect has then (the graph alone at --size, or the whole
// editor) as the next picture of a video that carries the input's sound.
// Ctrl-C ends the video early with what was rendered.
class VideoCommand
{
public:
  static int run(const RenderOptions& options);
};
