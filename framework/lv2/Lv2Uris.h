// The URIs the plug-in is known by to LV2 hosts, made from its description.
#pragma once

#include "framework/PlugDescription.h"

#include <lv2/core/lv2.h>

#include <cstring>
#include <string>

struct Lv2Uris
{
  static std::string Plugin(const PlugDescription::Component& c)
  {
    return std::string(GetPlugDescription().uri) + "#" + c.layoutName;
  }
  static std::string Ui() { return std::string(GetPlugDescription().uri) + "#ui"; }
  static std::string StateKey() { return std::string(GetPlugDescription().uri) + "#state"; }
};

// The data of the host's feature with that URI, or null.
inline const void* FindLv2Feature(const LV2_Feature* const* features, const char* uri)
{
  for (int i = 0; features && features[i]; ++i)
    if (std::strcmp(features[i]->URI, uri) == 0)
      return features[i]->data;
  return nullptr;
}
