// What the plug-in tells every host about itself, and the factory each host
// adapter makes plug-in objects with; the plug-in defines both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IPlugBase;

// A four-character code as the hosts' identifiers use it ('a' first).
constexpr uint32_t PlugFourCC(char a, char b, char c, char d)
{
  return (static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
         static_cast<uint32_t>(static_cast<unsigned char>(d));
}

struct PlugDescription
{
  struct Component
  {
    int nIn, nOut;
    uint32_t nativeType, offlineType;
    // Short name of the channel layout ("mono", "stereo"): the last part of
    // URIs and the suffix of names where a host lists components apart.
    const char* layoutName;
  };
  const char* effectName;
  const char* makerName;
  uint32_t version;
  uint32_t manufacturerId;
  uint32_t productId;
  const char* bundleId;
  const char* midiNodeName;
  const char* transportNodeName;
  std::vector<Component> components;
  // Base URI of the plug-in for URI-named hosts; components append
  // "#" and their layout name.
  const char* uri;
  // The editor window's class name, and its title where it has no parent.
  const char* windowClass;
  const char* windowTitle;
  // The font family the editor's design names, and the installed family
  // drawn for it where this system does not ship the first.
  const char* designFont;
  const char* designFontStandIn;
};
const PlugDescription& GetPlugDescription();

// "1.2.3": the version as hosts show it.
std::string PlugVersionText();
// "QX Crest Mono": the effect's name and the layout's, capitalised, as
// every format lists a component.
std::string PlugComponentName(const PlugDescription::Component& c);

// Makes the plug-in object; the plug-in defines it.
IPlugBase* MakePlug();

// Constructs plug-in objects one at a time, under a process-wide lock.
IPlugBase* CreatePlug();
