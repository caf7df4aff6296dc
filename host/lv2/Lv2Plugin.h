#pragma once

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One LV2 plug-in instance loaded through lilv as a host loads it: every
// port connected (controls at their defaults, an empty atom sequence on
// atom inputs), activated. Values the UI writes reach the control ports
// through atomics at the start of the next run, as a host's UI thread hands
// them to its audio thread. Set-up calls belong to the thread that made it;
// run() and connectAudio() to the audio thread; writeFromUi() to the UI's.
class Lv2Plugin
{
public:
  // lv2Path as LV2_PATH; throws HostError when the plug-in does not load.
  Lv2Plugin(const std::string& lv2Path, const std::string& uri, double sampleRate);
  ~Lv2Plugin();

  Lv2Plugin(const Lv2Plugin&) = delete;
  Lv2Plugin& operator=(const Lv2Plugin&) = delete;

  int audioInputs() const { return static_cast<int>(mAudioIn.size()); }
  // Control input by port symbol or name (any case), normalised over the
  // port's range; before the audio starts.
  void setNormalized(const std::string& symbolOrName, double normalized);
  // The port index of a control input; throws when there is none.
  uint32_t controlPort(const std::string& symbol) const;
  // Control inputs and their current values, for the UI's first port events.
  std::vector<std::pair<uint32_t, float>> controlValues() const;

  void connectAudio(const float* const* inputs, float* const* outputs);
  // Takes the UI's pending writes, then runs one block.
  void run(uint32_t frames);
  void writeFromUi(uint32_t port, float value);

  LV2_Handle handle() const;
  LV2_URID_Map* map() { return &mMap; }
  const LilvPlugin* plugin() const { return mPlugin; }
  LilvWorld* world() const { return mWorld; }

private:
  struct Control
  {
    uint32_t port = 0;
    std::string symbol, name;
    float min = 0.0f, max = 1.0f;
    float value = 0.0f; // the port's buffer
    std::atomic<float> pending{0.0f};
    std::atomic<bool> written{false};
  };

  static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri);

  LilvWorld* mWorld = nullptr;
  const LilvPlugin* mPlugin = nullptr;
  LilvInstance* mInstance = nullptr;
  LV2_URID_Map mMap{};
  std::map<std::string, LV2_URID> mUrids;
  std::vector<std::unique_ptr<Control>> mControls;
  std::vector<uint32_t> mAudioIn, mAudioOut;
  alignas(8) unsigned char mSequence[64] = {};
};
