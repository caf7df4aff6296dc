// The ACF host adapter: translates the host interface of acf.h into the
// exporter's calls. It declares the host's parameters with their ids,
// answers value updates and chunk requests in the interface's records, and
// reaches the host through its callbacks, on the UI thread only.
#pragma once

#include "acf/acf.h"
#include "framework/IPlugBase.h"
#include "framework/IPlugExporter.h"
#include "framework/PlugDescription.h"

#include <atomic>
#include <vector>

class IPlugAAX : private IPlugExporter::HostSink
{
public:
  static constexpr int kMaxBlockFrames = ACF_MAX_BLOCK_FRAMES;
  static_assert(kMaxBlockFrames == IPlugBase::kMaxBlockFrames, "the plug-in base takes the host's blocks");
  static constexpr const char* kBypassID = "MasterBypass";

  // Takes the plug-in object over; nIn and nOut are the component's channels.
  IPlugAAX(IPlugBase* plug, int nIn, int nOut);

  IPlugBase* Plug() { return mExporter.Plug(); }
  const IPlugBase* Plug() const { return mExporter.Plug(); }

  void SetHost(const AcfHostCallbacks* host);
  // Declares the host parameters, records the sample rate and resets.
  AcfResult Initialize(double sampleRate);

  int NHostParams() const { return static_cast<int>(mHostParams.size()); }
  AcfResult GetHostParamInfo(int index, AcfParameterInfo* info) const;
  AcfResult GetHostParam(const char* id, double* normalized);
  AcfResult GetHostParamDisplay(const char* id, char* text, int size);
  AcfResult UpdateHostParam(const char* id, double normalized);
  bool IsBypassed() const { return mExporter.IsBypassed(); }

  // One block, on the audio thread; asks the host for its transport once.
  AcfResult ProcessAudio(const float* const* inputs, float* const* outputs, int nFrames);

  AcfResult ChunkIdByIndex(int index, uint32_t* chunkId) const;
  AcfResult ChunkSize(uint32_t chunkId, int32_t* size);
  AcfResult GetChunk(uint32_t chunkId, AcfChunkHeader* chunk, int32_t capacity);
  AcfResult SetChunk(uint32_t chunkId, const AcfChunkHeader* chunk);
  AcfResult CompareActiveChunk(const AcfChunkHeader* chunk, int32_t* isEqual);
  int ChangeCounter() const { return mChangeCounter.load(); }

  // The editor as the host sees it (an X11 window id as parent). Each call
  // ends by delivering what the plug-in queued for the host.
  AcfResult EditorSize(int32_t* width, int32_t* height);
  AcfResult EditorOpen(uintptr_t parent);
  AcfResult EditorClose();
  AcfResult EditorIdle();
  AcfResult EditorSnapshot(bool graphOnly, uint8_t* rgba, int32_t width, int32_t height);

  // Largest chunk a host may hand in; anything larger is refused.
  static constexpr int32_t kMaxChunkBytes = static_cast<int32_t>(IPlugExporter::kMaxStateBytes);

private:
  // Plug-in parameter of a host id ("1" is parameter 0); -1 for none.
  int ParamIndexFromID(const char* id) const;
  static void HostID(int paramIdx, char* id, int size);
  AcfResult Deliver(AcfResult result);

  // HostSink: the host's callbacks, on the UI thread.
  void BeginEdit(int idx) override;
  void SetValue(int idx, double normalized, bool echo) override;
  void EndEdit(int idx) override;
  void Resized(int width, int height) override;

  IPlugExporter mExporter;
  AcfHostCallbacks mHost{};
  std::vector<AcfParameterInfo> mHostParams;
  std::atomic<int> mChangeCounter{0};
};

// Constructs plug-in objects one at a time (CreatePlug) and wraps each for
// a component of nIn inputs and nOut outputs.
IPlugAAX* CreatePlugin(int nIn, int nOut);
