// Writes manifest.ttl and the plug-in's description into a bundle folder:
//   crest-lv2-ttl BUNDLE_DIR BINARY_NAME
#include "framework/IPlugBase.h"
#include "framework/PlugDescription.h"
#include "framework/lv2/Lv2TurtleWriter.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

int main(int argc, char** argv)
{
  if (argc != 3)
  {
    std::fprintf(stderr, "usage: %s BUNDLE_DIR BINARY_NAME\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + '/', ttl = "QX-Crest.ttl";
  std::unique_ptr<IPlugBase> plug(CreatePlug());
  Lv2TurtleWriter writer(plug.get(), argv[2], ttl);
  for (const auto& [name, text] :
       {std::pair{std::string("manifest.ttl"), writer.Manifest()}, std::pair{ttl, writer.Description()}})
  {
    const std::string path = dir + name;
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out)
    {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
