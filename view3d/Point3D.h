// A point of the landscape. In the history x is the frequency position in
// [-0.5, 0.5), y the height and z the depth given at drawing time; after
// projection the same fields hold screen x and y in pixels and depth in [0, 1].
#pragma once

struct Point3D
{
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};
