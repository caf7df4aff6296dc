// What a plug-in reaches of its host: the calls the exporter between the
// plug-in and every host adapter answers. The notifications are queued and
// reach the host later on its UI thread; GetTime answers from the block
// being processed (audio thread).
#pragma once

#include "framework/ITimeInfo.h"

class IPlugHost
{
public:
  virtual ~IPlugHost() = default;

  virtual void BeginInformHostOfParamChange(int idx) = 0;
  virtual void InformHostOfParamChange(int idx, double normalized) = 0;
  virtual void EndInformHostOfParamChange(int idx) = 0;
  // The value of a parameter that did not change, sent again because its
  // control was redrawn; hosts that want no such repeats drop it.
  virtual void EchoParamToHost(int idx, double normalized) = 0;
  virtual void GetTime(ITimeInfo* info) = 0;
  virtual void ResizeGraphics(int w, int h) = 0;
};
