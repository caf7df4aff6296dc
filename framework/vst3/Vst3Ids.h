// What VST3 hosts know the plug-in by: one class id per component (kept
// for good: sessions store it) made from the description's codes, and the
// id of the bypass parameter beside the plug-in's own (whose ids are their
// indices).
#pragma once

#include "framework/PlugDescription.h"

#include <travesty/base.h>

#include <cstdint>
#include <cstring>

struct Vst3Ids
{
  // 'Byps': below 2^31 as hosts expect, far from the parameter indices.
  static constexpr v3_param_id kBypass = 0x42797073u;

  static void ClassId(const PlugDescription::Component& c, v3_tuid out)
  {
    const PlugDescription& d = GetPlugDescription();
    const uint32_t words[4] = {d.manufacturerId, d.productId, c.nativeType, PlugFourCC('V', 'S', 'T', '3')};
    for (int w = 0; w < 4; ++w)
      for (int b = 0; b < 4; ++b)
        out[w * 4 + b] = static_cast<uint8_t>(words[w] >> (24 - 8 * b));
  }

  // The component a class id names, or -1.
  static int ComponentOf(const v3_tuid id)
  {
    const auto& comps = GetPlugDescription().components;
    for (size_t i = 0; i < comps.size(); ++i)
    {
      v3_tuid mine;
      ClassId(comps[i], mine);
      if (std::memcmp(mine, id, sizeof mine) == 0)
        return static_cast<int>(i);
    }
    return -1;
  }
};
