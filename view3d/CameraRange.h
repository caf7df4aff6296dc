// The camera's ranges and rest position, in degrees: the view keeps its
// mouse moves and zooms within them, and the plug-in declares its camera
// parameters with them.
#pragma once

struct CameraRange
{
  static constexpr double kAngle0Min = -90.0, kAngle0Max = 90.0, kAngle0Rest = 0.0;
  static constexpr double kAngle1Min = 15.0, kAngle1Max = 90.0, kAngle1Rest = 15.0;
  static constexpr double kFovMin = 15.0, kFovMax = 45.0, kFovRest = 45.0;
};
