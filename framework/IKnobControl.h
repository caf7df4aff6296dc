// Base of the knobs: a value turned by dragging along one direction, with
// a gearing that says how many knob lengths of drag span the whole range.
#pragma once

#include "framework/IControl.h"

class IKnobControl : public IControl
{
public:
  enum EDirection
  {
    kVertical = 0,
    kHorizontal = 1
  };

  IKnobControl(IPlugBase* plug, IRECT rect, int paramIdx, EDirection direction = kVertical, double gearing = 4.0)
    : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing)
  {
  }

  EDirection GetDirection() const { return mDirection; }
  double GetGearing() const { return mGearing; }
  void SetGearing(double gearing) { mGearing = gearing; }

protected:
  EDirection mDirection;
  double mGearing;
};
