#include "framework/PlugDescription.h"

#include <cctype>
#include <mutex>

IPlugBase* CreatePlug()
{
  static std::recursive_mutex createLock;
  std::lock_guard<std::recursive_mutex> lock(createLock);
  return MakePlug();
}

std::string PlugVersionText()
{
  const uint32_t v = GetPlugDescription().version;
  return std::to_string(v >> 16) + "." + std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

std::string PlugComponentName(const PlugDescription::Component& c)
{
  std::string layout = c.layoutName;
  if (!layout.empty())
    layout[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(layout[0])));
  return std::string(GetPlugDescription().effectName) + " " + layout;
}
