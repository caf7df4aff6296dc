// Writes the bundle's Turtle from the plug-in object itself: manifest.ttl
// and the description of every component (ports with the parameters'
// names, ranges, defaults and units) and of the editor UI.
#pragma once

#include <string>

class IPlugBase;

class Lv2TurtleWriter
{
public:
  // binary: the shared library's file name inside the bundle; ttl: the
  // file name of the description.
  Lv2TurtleWriter(IPlugBase* plug, std::string binary, std::string ttl);

  std::string Manifest() const;
  std::string Description() const;

private:
  std::string Plugin(int component) const;
  std::string ControlPort(int index, int paramIdx) const;

  IPlugBase* mPlug;
  std::string mBinary, mTtl;
};
