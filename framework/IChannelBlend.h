// How a picture is combined with what lies beneath it; weight is the opacity.
#pragma once

struct IChannelBlend
{
  enum EBlendMethod
  {
    kBlendNone = 0,    // copy using the picture's alpha
    kBlendClobber = 1, // plain copy
    kBlendAdd = 2,
    kBlendColorDodge = 3,
    kBlendMultiply = 4,
    kBlendOverlay = 5,
    kBlendHSVAdjust = 6
  };
  EBlendMethod mMethod = kBlendNone;
  float mWeight = 1.0f;

  IChannelBlend(EBlendMethod method = kBlendNone, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};
