// The URIs the plug-in is known by to LV2 hosts, made from its description.
#pragma once

#include "framework/PlugDescription.h"

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
