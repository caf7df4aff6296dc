// What a plug-in reaches of its host: the calls a host adapter (ACF, LV2)
// implements for the plug-in base it drives.
#pragma once

#include "framework/ITimeInfo.h"

class IPlugHost
{
public:
  virtual ~IPlugHost() = default;

  virtual void BeginInformHostOfParamChange(int idx) = 0;
  virtual void InformHostOfParamChange(int idx, double normalized) = 0;
  virtual void EndInformHostOfParamChange(int idx) = 0;
  virtual void GetTime(ITimeInfo* info) = 0;
  virtual void ResizeGraphics(int w, int h) = 0;
};
