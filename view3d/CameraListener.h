// Told of camera moves made with the mouse in the view (which already shows
// them), on the editor's thread: the plug-in writes them back to its
// parameters and tells the host.
#pragma once

class CameraListener
{
public:
  virtual ~CameraListener() = default;
  virtual void UpdateCameraAngles(double angle0, double angle1) = 0;
  virtual void UpdateCamFov(double fov) = 0;
};
