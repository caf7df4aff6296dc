// Who the plug-in is to the host.
#include "CrestVersion.h"
#include "framework/PlugDescription.h"
#include "plugin/Crest.h"

const PlugDescription& GetPlugDescription()
{
  static const PlugDescription desc = {
    "QX Crest",
    "Tessaro",
    kCrestVersion,
    PlugFourCC('T', 'e', 'S', 'a'),
    PlugFourCC('h', 'f', 'o', 'n'),
    "com.tessaro.qxcrest",
    "QX Crest Midi",
    "Transport",
    {
      {1, 1, PlugFourCC('E', 'F', 'N', '1'), PlugFourCC('E', 'F', 'A', '1'), "mono"},
      {2, 2, PlugFourCC('E', 'F', 'N', '2'), PlugFourCC('E', 'F', 'A', '2'), "stereo"},
    },
    "http://tessaro.example/plugins/qx-crest",
    "QX-Crest-Editor",
    "QX Crest",
    "Tahoma",
    "DejaVu Sans",
  };
  return desc;
}

IPlugBase* MakePlug() { return new Crest(); }
