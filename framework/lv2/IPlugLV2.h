// The LV2 host adapter: translates an LV2 instance's calls into the
// exporter's. It maps the ports (audio, the enabled switch, one control
// port per parameter, a transport atom port), reads the control ports as
// host values, follows time:Position between the pieces of a block, and
// saves and restores the plug-in's state record through the state
// extension. run is wait-free, as the exporter's Process is.
#pragma once

#include "framework/IPlugBase.h"
#include "framework/IPlugExporter.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <vector>

class IPlugLV2UI;

class IPlugLV2
{
public:
  // Port order: audio inputs, audio outputs, the enabled switch, one port
  // per parameter, the transport input. The Turtle follows the same order.
  struct PortLayout
  {
    int nIn, nOut, nParams;
    int AudioIn(int c) const { return c; }
    int AudioOut(int c) const { return nIn + c; }
    int Enabled() const { return nIn + nOut; }
    int Param(int idx) const { return nIn + nOut + 1 + idx; }
    int Transport() const { return nIn + nOut + 1 + nParams; }
    int NPorts() const { return Transport() + 1; }
  };

  // Takes the plug-in object over; features are those of instantiate.
  IPlugLV2(IPlugBase* plug, int nIn, int nOut, double sampleRate, const LV2_Feature* const* features);

  IPlugBase* Plug() { return mExporter.Plug(); }
  IPlugExporter& Exporter() { return mExporter; }
  const PortLayout& Layout() const { return mLayout; }

  void ConnectPort(uint32_t port, void* data);
  void Activate();
  void Run(uint32_t nFrames);

  LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  // The one editor UI shown for this instance, on the thread that calls
  // these; false when another UI holds it.
  bool AttachUI(IPlugLV2UI* ui);
  void DetachUI(IPlugLV2UI* ui);

  // Largest state record restored; anything larger is refused.
  static constexpr size_t kMaxStateBytes = IPlugExporter::kMaxStateBytes;

private:
  void ApplyControlPorts();
  void ApplyTime(const LV2_Atom_Object* obj);
  // Marks the ports' current values as seen, so only later changes apply.
  void TakePortValues();

  IPlugExporter mExporter;
  PortLayout mLayout;

  std::vector<const float*> mAudioIn;
  std::vector<float*> mAudioOut;
  const float* mEnabled = nullptr;
  std::vector<const float*> mParamPorts;
  std::vector<float> mSeenPort;
  const LV2_Atom_Sequence* mTransport = nullptr;

  LV2_URID_Map* mMap = nullptr;
  struct Urids
  {
    LV2_URID atomBlank, atomObject, atomChunk, atomFloat, atomDouble, atomInt, atomLong;
    LV2_URID timePosition, timeSpeed, timeFrame, timeBar, timeBarBeat, timeBeatUnit, timeBeatsPerBar,
      timeBeatsPerMinute;
    LV2_URID state;
  } mUrid{};

  std::atomic<IPlugLV2UI*> mUI{nullptr};
};
