// A bare LV2 host for measurements: a lilv world over a search path, a URI
// map, and port buffers connected the way a host connects them (controls at
// their defaults, audio blocks, empty atom sequences). Used from one thread.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Lv2Rig
{
public:
  // Frames per audio buffer.
  static constexpr uint32_t kBlock = 512;

  // Every port's buffer of one instance; made before the instance so that a
  // measurement can leave them out.
  struct PortBuffers
  {
    std::vector<std::vector<float>> audioIn, audioOut;
    std::vector<float> controls;
    std::vector<std::vector<uint64_t>> atoms;
    std::vector<LV2_Atom_Sequence*> atomOuts;
  };

  // path is an LV2_PATH (folders separated by ':').
  explicit Lv2Rig(const std::string& path);
  ~Lv2Rig();

  Lv2Rig(const Lv2Rig&) = delete;
  Lv2Rig& operator=(const Lv2Rig&) = delete;

  LilvWorld* World() { return mWorld; }
  // Null when no bundle on the path has the URI.
  const LilvPlugin* Plugin(const char* uri);
  // The features a plain host offers: the URI map.
  const LV2_Feature* const* Features() const { return mFeatures; }
  LilvInstance* Instantiate(const LilvPlugin* plugin, double rate = 44100.0);

  PortBuffers MakePorts(const LilvPlugin* plugin);
  void Connect(const LilvPlugin* plugin, LilvInstance* instance, PortBuffers& ports);
  // Copies kBlock frames of the signal from pos into the audio inputs (the
  // channels alternate), gives output sequences their capacity back.
  static void Fill(PortBuffers& ports, const std::vector<float> (&music)[2], size_t pos);

  // Chords with a beat and a little noise: n samples of one channel at
  // 44.1 kHz.
  static std::vector<float> Music(int channel, size_t n);

private:
  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri);

  LilvWorld* mWorld;
  std::map<std::string, LV2_URID> mIds;
  LV2_URID_Map mMap{this, &Lv2Rig::Map};
  LV2_Feature mMapFeature{LV2_URID__map, &mMap};
  const LV2_Feature* mFeatures[2] = {&mMapFeature, nullptr};
};
