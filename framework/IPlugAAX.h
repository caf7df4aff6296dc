// The host wrapper: what crosses the host interface of acf.h. It declares
// the host's parameters, converts the host's 32-bit samples to the float64
// buffers of ProcessBlock and back, answers value updates and chunk
// requests, and reaches the host through its callbacks.
#pragma once

#include "acf/acf.h"
#include "framework/IPlugBase.h"
#include "framework/WDL_TypedBuf.h"

#include <atomic>
#include <string>
#include <vector>

class IPlugAAX : public IPlugBase
{
public:
  static constexpr int kMaxBlockFrames = ACF_MAX_BLOCK_FRAMES;
  static constexpr const char* kBypassID = "MasterBypass";

  IPlugAAX(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
           const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
           int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);
  ~IPlugAAX() override;

  void SetHost(const AcfHostCallbacks* host);
  // Declares the host parameters, records the sample rate and resets.
  AcfResult Initialize(double sampleRate);

  int NHostParams() const { return static_cast<int>(mHostParams.size()); }
  AcfResult GetHostParamInfo(int index, AcfParameterInfo* info) const;
  AcfResult GetHostParam(const char* id, double* normalized);
  AcfResult GetHostParamDisplay(const char* id, char* text, int size);
  AcfResult UpdateHostParam(const char* id, double normalized);
  bool IsBypassed() const { return mBypass; }

  // One block; channel counts are those set with SetConnectedChannels.
  AcfResult ProcessAudio(const float* const* inputs, float* const* outputs, int nFrames);

  AcfResult ChunkIdByIndex(int index, uint32_t* chunkId) const;
  AcfResult ChunkSize(uint32_t chunkId, int32_t* size);
  AcfResult GetChunk(uint32_t chunkId, AcfChunkHeader* chunk, int32_t capacity);
  AcfResult SetChunk(uint32_t chunkId, const AcfChunkHeader* chunk);
  AcfResult CompareActiveChunk(const AcfChunkHeader* chunk, int32_t* isEqual);
  int ChangeCounter() const { return mChangeCounter.load(); }

  // The editor as the host sees it (an X11 window id as parent).
  AcfResult EditorSize(int32_t* width, int32_t* height);
  AcfResult EditorOpen(uintptr_t parent);
  AcfResult EditorClose();
  AcfResult EditorIdle();
  AcfResult EditorSnapshot(bool graphOnly, uint8_t* rgba, int32_t width, int32_t height);

  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalized) override;
  void EndInformHostOfParamChange(int idx) override;
  void GetTime(ITimeInfo* info) override;
  void ResizeGraphics(int w, int h) override;

  // Largest chunk a host may hand in; anything larger is refused.
  static constexpr int32_t kMaxChunkBytes = 1 << 20;

private:
  // Plug-in parameter of a host id ("1" is parameter 0); -1 for none.
  int ParamIndexFromID(const char* id) const;
  void HostID(int paramIdx, char* id, int size) const;

  AcfHostCallbacks mHost{};
  std::vector<AcfParameterInfo> mHostParams;
  bool mBypass = false;
  std::atomic<int> mChangeCounter{0};

  // float64 conversion buffers: sized once for kMaxBlockFrames, and the
  // outputs keep their contents between blocks.
  std::vector<WDL_TypedBuf<double>> mInBufs, mOutBufs;
  std::vector<double*> mInPtrs, mOutPtrs;
};

// What the plug-in tells the host about itself; the plug-in defines it.
struct PlugDescription
{
  struct Component
  {
    int nIn, nOut;
    uint32_t nativeType, offlineType;
  };
  const char* effectName;
  const char* makerName;
  uint32_t version;
  uint32_t manufacturerId;
  uint32_t productId;
  const char* bundleId;
  const char* midiNodeName;
  const char* transportNodeName;
  std::vector<Component> components;
};
const PlugDescription& GetPlugDescription();

// Makes the plug-in object; the plug-in defines it.
IPlugAAX* MakePlug();

// Constructs plug-in objects one at a time, under a process-wide lock.
IPlugAAX* CreatePlugin();
