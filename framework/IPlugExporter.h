// The one layer between the plug-in and every host adapter (ACF, LV2, and
// the formats to come): each adapter translates its format's calls into
// these and nothing more. It owns the plug-in object and keeps the rules
// that are the same in every format: which host values apply, the audio
// pass-through with block splitting and in-place buffers, transport, the
// state record, the editor's life, and the notifications for the host.
//
// Threads:
// - Audio thread: Process (and Time, SetBypass, SetHostValue for formats
//   that deliver values with the audio). Wait-free: no lock, no
//   allocation, no system call, no host call.
// - Any other thread: host values, state, RequestReset. They may take the
//   plug-in's state mutex, never a lock the audio thread takes.
// - The host's UI thread: the editor calls and DeliverNotifications, which
//   makes the host calls outside every lock of ours.
#pragma once

#include "framework/ByteChunk.h"
#include "framework/HostNotificationQueue.h"
#include "framework/IPlugBase.h"
#include "framework/IPlugHost.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class IGraphics;
class IParam;

class IPlugExporter : public IPlugHost
{
public:
  // What an adapter tells its host; called by DeliverNotifications only.
  class HostSink
  {
  public:
    virtual ~HostSink() = default;
    virtual void BeginEdit(int idx) = 0;
    // echo: the value was sent again for a redraw; it did not change.
    virtual void SetValue(int idx, double normalized, bool echo) = 0;
    virtual void EndEdit(int idx) = 0;
    virtual void Resized(int width, int height) = 0;
  };

  // Takes the plug-in over; nIn and nOut are the host's channel counts.
  IPlugExporter(IPlugBase* plug, int nIn, int nOut);
  ~IPlugExporter() override;

  IPlugExporter(const IPlugExporter&) = delete;
  IPlugExporter& operator=(const IPlugExporter&) = delete;

  IPlugBase* Plug() { return mPlug.get(); }
  const IPlugBase* Plug() const { return mPlug.get(); }
  int NIn() const { return mNIn; }
  int NOut() const { return mNOut; }

  // Sample rates a host may run us at (1 kHz to 768 kHz); others are refused.
  static bool IsUsableSampleRate(double sampleRate);
  // Records the rate and resets at the next block. False for a rate
  // IsUsableSampleRate refuses.
  bool SetSampleRate(double sampleRate);
  // The analysis restarts at the next block. Any thread.
  void RequestReset() { mResetPending.store(true, std::memory_order_release); }

  // --- Parameters ---
  int NParams() const { return mPlug->NParams(); }
  // Null for an index out of range.
  const IParam* Param(int idx) const { return idx >= 0 && idx < NParams() ? mPlug->GetParam(idx) : nullptr; }
  double GetNormalized(int idx) const;
  // A host value: applies unless the parameter is kept from the host or the
  // value is not finite (false then, and for an index out of range).
  // Normalised values are clamped to 0..1, plain ones to the range.
  // Wait-free: any thread, the audio thread included.
  bool SetHostValue(int idx, double normalized);
  bool SetHostPlainValue(int idx, double plain);
  // A plain value as text: its display text where it has one, else the
  // number and, with withUnit, the unit. False for an index out of range
  // or a value not finite; others are clamped to the range. Not for the
  // audio thread.
  bool FormatValue(int idx, double plain, bool withUnit, char* text, size_t size) const;
  // The plain value a text names: a display text in any case, or a number
  // with perhaps the unit after it, clamped to the range.
  bool ParseValue(int idx, const char* text, double* plain) const;
  // The bypass from "on" or "off" in any case, or a number: 1 or 0.
  static bool ParseBypass(const char* text, double* value);
  void SetBypass(bool bypass) { mBypass.store(bypass, std::memory_order_relaxed); }
  bool IsBypassed() const { return mBypass.load(std::memory_order_relaxed); }

  // --- Audio (audio thread) ---
  // The transport of the block to come; frames processed move its sample
  // position on while it plays.
  ITimeInfo& Time() { return mTime; }
  // Frames begin .. end of the host's buffers (channel pointers for NIn and
  // NOut channels, all non-null; an output may be an input). Outputs equal
  // the inputs bit for bit where the plug-in passed them through; extra
  // outputs are silent.
  void Process(const float* const* inputs, float* const* outputs, uint32_t begin, uint32_t end);

  // --- State (any thread but the audio thread) ---
  static constexpr size_t kMaxStateBytes = 1 << 20;
  bool SaveState(ByteChunk* chunk);
  // False (and nothing changes) for a missing or oversized record, and with
  // wholeOnly for one shorter than SaveState writes: the formats whose hosts
  // keep our records whole take a short one for cut off on its way.
  bool RestoreState(const void* data, size_t size, bool wholeOnly = false);
  bool StateEquals(const void* data, size_t size);

  // --- Editor (the host's UI thread) ---
  IGraphics* Editor() { return mPlug->GetGUI(); }
  bool OpenEditor(uintptr_t parent);
  void CloseEditor();
  // One redraw tick; false when no editor window is open.
  bool IdleEditor();
  // The editor's size after what other threads handed it; false for none.
  bool EditorSize(int* width, int* height);
  // Hands every queued notification to the sink, outside our locks.
  void DeliverNotifications(HostSink& sink);
  void DropNotifications() { mNotifications.Clear(); }
  uint64_t DroppedNotifications() const { return mNotifications.Dropped(); }

  // --- IPlugHost: what the plug-in says to the host, queued ---
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalized) override;
  void EndInformHostOfParamChange(int idx) override;
  void EchoParamToHost(int idx, double normalized) override;
  void GetTime(ITimeInfo* info) override;
  void ResizeGraphics(int w, int h) override;

private:
  void ProcessPiece(const float* const* inputs, float* const* outputs, uint32_t offset, int n);
  void Notify(HostNotificationQueue::Notification::Kind kind, int idx, double value = 0.0, bool echo = false);

  std::unique_ptr<IPlugBase> mPlug;
  int mNIn, mNOut;
  std::atomic<bool> mBypass{false};
  std::atomic<bool> mResetPending{true};
  ITimeInfo mTime;
  HostNotificationQueue mNotifications;
  // The length of the plug-in's state record, which does not change.
  size_t mStateBytes = 0;

  // One piece's samples: the host's floats as they came in (kept, because
  // an output buffer may be an input buffer), and the float64 buffers of
  // ProcessBlock; sized once.
  std::vector<std::vector<float>> mInFloat;
  std::vector<double> mBlockStorage;
  std::vector<double*> mInPtrs, mOutPtrs;
};
