// The plug-in base: parameter list, the state mutex, channel
// configurations, the preset slot, bus labels, the editor, and the hooks a
// plug-in overrides. The plug-in derives from it; the exporter
// (IPlugExporter) drives it for every host adapter and answers the calls
// that reach the host (IPlugHost).
//
// Threads: ProcessBlock and Reset run on the audio thread, which never takes
// the mutex; the mutex serialises the other threads' state work (restores,
// saves, editor changes). Parameter values are atomics. OnParamChange may
// run on any thread, the audio thread included (formats that deliver host
// values with the audio), so it must not wait.
#pragma once

#include "framework/ByteChunk.h"
#include "framework/IParam.h"
#include "framework/IPlugHost.h"
#include "framework/ITimeInfo.h"
#include "framework/WDL_Mutex.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class IGraphics;

class IPlugBase
{
public:
  struct ChannelIO
  {
    int nIn = 0, nOut = 0, nSideChain = 0;
  };

  // Longest block ProcessBlock is handed; adapters split longer ones.
  static constexpr int kMaxBlockFrames = 1024;
  // count float64 buffers of kMaxBlockFrames in one storage, each starting
  // at another offset within a 4 KiB page: a copy from one buffer to another
  // would otherwise stall on every store (4K aliasing). Called by the host
  // adapters when they are built.
  static void MakeBlockBuffers(int count, std::vector<double>* storage, std::vector<double*>* buffers);

  IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName, const char* productName,
            const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
            bool plugDoesChunks, bool plugIsInst);
  virtual ~IPlugBase();

  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // --- Hooks for the plug-in ---
  virtual void Reset() {}
  virtual void OnParamChange(int) {}
  // Default: outputs copy the inputs.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  virtual bool SerializeState(ByteChunk* chunk) { return SerializeParams(chunk); }
  virtual int UnserializeState(const ByteChunk* chunk, int startPos) { return UnserializeParams(chunk, startPos); }
  // Whether the current parameters match nBytes of stored state.
  virtual bool CompareState(const uint8_t* data, int nBytes, int startPos);
  virtual void OnEditorWillResize() {}
  virtual void OnEditorResized() {}
  // On the editor's thread with its lock held, before it draws or reports
  // its size: the plug-in applies what it deferred because the editor was
  // busy on another thread (a new editor size).
  virtual void OnEditorSync() {}
  // The plug-in's graph alone, resized to w x h, as top-down RGBA; false
  // when the plug-in has no graph or no picture of it can be made.
  virtual bool SnapshotGraph(uint8_t*, int, int) { return false; }

  // A change made in the editor: under the mutex the parameter takes the
  // normalised value, the host is told (queued) and OnParamChange runs.
  virtual void SetParameterFromGUI(int idx, double normalized);
  // Tells OnEditorWillResize, then gives the editor its new size.
  virtual void ResizeEditor(int w, int h);

  // --- Calls that reach the host (through the adapter set with SetHost) ---
  virtual void BeginInformHostOfParamChange(int idx);
  virtual void InformHostOfParamChange(int idx, double normalized);
  virtual void EndInformHostOfParamChange(int idx);
  // The host hears the parameter's current value again, unchanged.
  void EchoParameterToHost(int idx);
  virtual void GetTime(ITimeInfo* info);
  virtual void ResizeGraphics(int w, int h);

  // The adapter that drives this plug-in; null for none (tests, tools).
  void SetHost(IPlugHost* host) { mHost = host; }
  IPlugHost* GetHost() const { return mHost; }

  // --- Parameters and state ---
  int NParams() const { return static_cast<int>(mParams.size()); }
  IParam* GetParam(int idx) const { return idx >= 0 && idx < NParams() ? mParams[idx].get() : nullptr; }
  bool SerializeParams(ByteChunk* chunk);
  int UnserializeParams(const ByteChunk* chunk, int startPos);

  WDL_Mutex& GetMutex() { return mMutex; }

  double GetSampleRate() const { return mSampleRate.load(std::memory_order_relaxed); }
  void SetSampleRate(double sampleRate) { mSampleRate.store(sampleRate, std::memory_order_relaxed); }

  // --- Editor ---
  IGraphics* GetGUI() { return mGraphics; }
  // Pushes every parameter's normalised value to the editor and keeps it;
  // the plug-in owns it from then on.
  void AttachGraphics(IGraphics* graphics);
  // Every control bound to a parameter is set from that parameter's value.
  void RedrawParamControls();
  // The parameters' normalised values, read under the mutex.
  std::vector<double> CopyNormalizedParams();

  // --- Channels ---
  const std::vector<ChannelIO>& GetChannelIOs() const { return mChannelIOs; }
  void SetConnectedChannels(int nIn, int nOut) { mInConnected = nIn, mOutConnected = nOut; }
  int NInChannels() const { return mInConnected; }
  int NOutChannels() const { return mOutConnected; }
  bool IsInChannelConnected(int ch) const { return ch >= 0 && ch < mInConnected; }
  bool IsOutChannelConnected(int ch) const { return ch >= 0 && ch < mOutConnected; }
  int MaxNInChannels() const;

  // --- Presets and busses ---
  void MakePresetFromState(const char* name);
  int NPresets() const { return static_cast<int>(mPresets.size()); }
  const char* GetPresetName(int idx) const;
  const ByteChunk* GetPresetChunk(int idx) const;
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);
  const char* GetInputBusLabel(int idx) const;
  const char* GetOutputBusLabel(int idx) const;

  // --- Identity ---
  const char* GetEffectName() const { return mEffectName.c_str(); }
  const char* GetProductName() const { return mProductName.c_str(); }
  const char* GetMfrName() const { return mMfrName.c_str(); }
  int GetEffectVersion() const { return mVersion; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetLatency() const { return mLatency; }

protected:
  WDL_Mutex mMutex;

private:
  struct Preset
  {
    std::string name;
    ByteChunk chunk;
    bool initialized = false;
  };

  std::vector<std::unique_ptr<IParam>> mParams;
  std::vector<ChannelIO> mChannelIOs;
  std::vector<Preset> mPresets;
  std::vector<std::string> mInputBusLabels, mOutputBusLabels;
  std::string mEffectName, mProductName, mMfrName;
  int mVersion, mUniqueID, mMfrID, mLatency;
  std::atomic<double> mSampleRate{44100.0};
  int mInConnected = 0, mOutConnected = 0;
  IGraphics* mGraphics = nullptr;
  IPlugHost* mHost = nullptr;
};
