#include "framework/PlugDescription.h"

#include <mutex>

IPlugBase* CreatePlug()
{
  static std::recursive_mutex createLock;
  std::lock_guard<std::recursive_mutex> lock(createLock);
  return MakePlug();
}
