// Who the plug-in is to the host.
#include "framework/IPlugAAX.h"
#include "plugin/Crest.h"

const PlugDescription& GetPlugDescription()
{
  static const PlugDescription desc = {
    "QX Crest",
    "Tessaro",
    328448, // 5.3.0
    ACF_FOURCC('T', 'e', 'S', 'a'),
    ACF_FOURCC('h', 'f', 'o', 'n'),
    "com.tessaro.qxcrest",
    "QX Crest Midi",
    "Transport",
    {
      {1, 1, ACF_FOURCC('E', 'F', 'N', '1'), ACF_FOURCC('E', 'F', 'A', '1')},
      {2, 2, ACF_FOURCC('E', 'F', 'N', '2'), ACF_FOURCC('E', 'F', 'A', '2')},
    },
  };
  return desc;
}

IPlugAAX* MakePlug() { return new Crest(); }
