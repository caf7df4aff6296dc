#pragma once

#include "HostSession.h"

#include <string>

struct RenderOptions
{
  SessionOptions session;
  std::string output;
  double at = 2.0;
  std::string size;   // "WxH": the graph alone; empty: the whole editor
  std::string camera; // "A0,A1,FOV" in degrees; empty: the effect's own

  // A video instead of a picture (VideoCommand).
  std::string video;
  int fps = 30;
  double from = 0.0;
  double to = -1.0; // below 0: the end of the input
  double orbit = 0.0;
  double gain = 0.0;
  std::string codec;
};

// `crest-host render`: the editor's picture after the first `at` seconds of
// audio, written as a PNG.
class RenderCommand
{
public:
  static int run(const RenderOptions& options);
  static const char* noDisplayMessage();

  // "WxH" rounded down to multiples of 4 (the graph's rule); throws a usage
  // error below 4x4 or, when maxSide > 0, above maxSide on either side.
  static void parseSize(const std::string& text, int maxSide, int& width, int& height);
  // "A0,A1,FOV" within the camera's ranges; throws a usage error otherwise.
  static void parseCamera(const std::string& text, double& angle0, double& angle1, double& fov);
};
