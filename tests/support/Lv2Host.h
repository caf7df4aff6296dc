// A host for tests: loads the built LV2 bundle through lilv as hosts do,
// maps URIs, runs one instance and reaches its state interface.
#pragma once

#include <lilv/lilv.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <map>
#include <string>
#include <vector>

class Lv2World
{
public:
  Lv2World();
  ~Lv2World();
  LilvWorld* World() { return mWorld; }
  const LilvPlugin* Plugin(const std::string& uri);
  LilvNode* Uri(const char* uri) { return lilv_new_uri(mWorld, uri); }

  LV2_URID Map(const char* uri);
  LV2_URID_Map* MapFeature() { return &mMap; }

private:
  static LV2_URID MapUri(LV2_URID_Map_Handle h, const char* uri);
  LilvWorld* mWorld;
  LV2_URID_Map mMap;
  std::map<std::string, LV2_URID> mUrids;
};

class Lv2Instance
{
public:
  // layout "mono" or "stereo"; the ports get the Turtle's defaults.
  Lv2Instance(Lv2World& world, const std::string& layout, double rate = 44100.0);
  ~Lv2Instance();
  bool Ok() const { return mInstance != nullptr; }
  LilvInstance* Instance() { return mInstance; }
  int NAudio() const { return mNAudio; }

  void ConnectAudio(const std::vector<const float*>& in, const std::vector<float*>& out);
  // Control port by symbol; the value is read at the next run.
  float& Control(const std::string& symbol) { return mControls.at(symbol); }
  void Run(uint32_t n) { lilv_instance_run(mInstance, n); }

  // The state record the plug-in stores (empty when it stores none), and a
  // record handed to its restore with the given type.
  std::vector<unsigned char> SaveState();
  LV2_State_Status RestoreState(const std::vector<unsigned char>& record, const char* typeUri = nullptr);

private:
  Lv2World& mWorld;
  const LilvPlugin* mPlugin = nullptr;
  LilvInstance* mInstance = nullptr;
  int mNAudio = 0;
  std::map<std::string, float> mControls;
  std::vector<uint32_t> mAudioIn, mAudioOut;
  alignas(8) unsigned char mSequence[64] = {};
};

std::string Lv2PluginUri(const std::string& layout);
