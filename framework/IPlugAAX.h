// The ACF host adapter: what crosses the host interface of acf.h. It drives
// one plug-in object, declares the host's parameters, converts the host's
// 32-bit samples to the float64 buffers of ProcessBlock and back, answers
// value updates and chunk requests, and reaches the host through its
// callbacks.
#pragma once

#include "acf/acf.h"
#include "framework/IPlugBase.h"
#include "framework/IPlugHost.h"
#include "framework/PlugDescription.h"
#include "framework/WDL_TypedBuf.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class IPlugAAX : public IPlugHost
{
public:
  static constexpr int kMaxBlockFrames = ACF_MAX_BLOCK_FRAMES;
  static_assert(kMaxBlockFrames == IPlugBase::kMaxBlockFrames, "the plug-in base takes the host's blocks");
  static constexpr const char* kBypassID = "MasterBypass";

  // Takes the plug-in object over.
  explicit IPlugAAX(IPlugBase* plug);
  ~IPlugAAX() override;

  IPlugBase* Plug() { return mPlug.get(); }
  void SetConnectedChannels(int nIn, int nOut) { mPlug->SetConnectedChannels(nIn, nOut); }

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
  // The plug-in's side of the calls below.
  int NParams() const { return mPlug->NParams(); }
  IParam* GetParam(int idx) { return mPlug->GetParam(idx); }
  IGraphics* GetGUI() { return mPlug->GetGUI(); }
  void OnParamChange(int idx) { mPlug->OnParamChange(idx); }
  void Reset() { mPlug->Reset(); }
  void SetSampleRate(double sampleRate) { mPlug->SetSampleRate(sampleRate); }
  int NInChannels() const { return mPlug->NInChannels(); }
  int NOutChannels() const { return mPlug->NOutChannels(); }
  void ProcessBlock(double** in, double** out, int n) { mPlug->ProcessBlock(in, out, n); }
  bool SerializeState(ByteChunk* chunk) { return mPlug->SerializeState(chunk); }
  int UnserializeState(const ByteChunk* chunk, int pos) { return mPlug->UnserializeState(chunk, pos); }
  bool CompareState(const uint8_t* data, int n, int pos) { return mPlug->CompareState(data, n, pos); }
  bool SnapshotGraph(uint8_t* rgba, int w, int h) { return mPlug->SnapshotGraph(rgba, w, h); }
  void RedrawParamControls() { mPlug->RedrawParamControls(); }
  int GetUniqueID() const { return mPlug->GetUniqueID(); }
  int GetMfrID() const { return mPlug->GetMfrID(); }
  const char* GetEffectName() const { return mPlug->GetEffectName(); }

  std::unique_ptr<IPlugBase> mPlug;
  WDL_Mutex& mMutex;

  // Plug-in parameter of a host id ("1" is parameter 0); -1 for none.
  int ParamIndexFromID(const char* id) const;
  void HostID(int paramIdx, char* id, int size) const;

  AcfHostCallbacks mHost{};
  std::vector<AcfParameterInfo> mHostParams;
  bool mBypass = false;
  std::atomic<int> mChangeCounter{0};

  // float64 conversion buffers: sized once for kMaxBlockFrames, and the
  // outputs keep their contents between blocks.
  std::vector<double> mBlockStorage;
  std::vector<double*> mInPtrs, mOutPtrs;
};

// Constructs plug-in objects one at a time (CreatePlug) and wraps each.
IPlugAAX* CreatePlugin();
