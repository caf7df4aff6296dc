// The LV2 host adapter: drives one plug-in object as an LV2 instance. It
// maps the ports (audio, the enabled switch, one control port per
// parameter, a transport atom port), splits the host's blocks into pieces
// ProcessBlock takes, keeps the output bit for bit the input whether or not
// the host hands the same buffers, follows time:Position, and saves and
// restores the plug-in's state record through the state extension.
#pragma once

#include "framework/IPlugBase.h"
#include "framework/IPlugHost.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class IPlugLV2UI;

class IPlugLV2 : public IPlugHost
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
  ~IPlugLV2() override;

  IPlugBase* Plug() { return mPlug.get(); }
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

  // Host calls of the plug-in. Only the UI's thread may write ports, so
  // what comes from any other thread (the audio thread's notifications)
  // is dropped.
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalized) override;
  void EndInformHostOfParamChange(int idx) override;
  void GetTime(ITimeInfo* info) override;
  void ResizeGraphics(int w, int h) override;

  // Largest state record restored; anything larger is refused.
  static constexpr size_t kMaxStateBytes = 1 << 20;

private:
  void ApplyControlPorts();
  void ApplyTime(const LV2_Atom_Object* obj);
  void ProcessRange(uint32_t begin, uint32_t end);
  void ProcessPiece(uint32_t offset, int n);
  IPlugLV2UI* UIOnThisThread() const;
  // Marks the ports' current values as seen, so only later changes apply.
  void TakePortValues();

  std::unique_ptr<IPlugBase> mPlug;
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

  ITimeInfo mTime;

  // One piece's samples: the host's floats as they came in (kept, because
  // an output buffer may be an input buffer), and the float64 buffers of
  // ProcessBlock.
  std::vector<std::vector<float>> mInFloat;
  std::vector<double> mBlockStorage;
  std::vector<double*> mInPtrs, mOutPtrs;

  std::atomic<IPlugLV2UI*> mUI{nullptr};
  std::atomic<std::thread::id> mUIThread{};
};
