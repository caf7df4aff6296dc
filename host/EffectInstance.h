#pragma once

#include "acf/acf.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One effect created through the bundle's factory, with the host callbacks
// it calls back into: parameter notifications, the transport and view resizes.
// The effect keeps a pointer to this object, so it neither moves nor copies.
class EffectInstance
{
public:
  EffectInstance(const AcfEffectFactory& factory, int componentIndex, const AcfComponent& component);
  ~EffectInstance();

  EffectInstance(const EffectInstance&) = delete;
  EffectInstance& operator=(const EffectInstance&) = delete;

  int channels() const { return mChannels; }
  int componentIndex() const { return mComponentIndex; }
  double sampleRate() const { return mSampleRate; }

  void initialize(double sampleRate);

  // The host parameters as the effect declares them (index 0 is the bypass).
  std::vector<AcfParameterInfo> parameters();
  double normalizedValue(const std::string& id);
  std::string display(const std::string& id);
  // Throws with the effect's result code when it refuses the value.
  void setNormalized(const std::string& id, double normalized);

  std::vector<uint8_t> saveChunk();
  void restoreChunk(const std::vector<uint8_t>& data);

  // The transport reported from the next block on: playing or stopped.
  void setTransportPlaying(bool playing) { mPlaying = playing; }
  // One block of at most ACF_MAX_BLOCK_FRAMES frames; advances the transport.
  void render(const float* const* inputs, float* const* outputs, int frames);
  // The same for a real-time thread: no allocation, no exception; the
  // effect's result comes back instead.
  AcfResult renderBlock(const float* const* inputs, float* const* outputs, int frames) noexcept;
  int64_t position() const { return mPosition; }

  void editorSize(int& width, int& height);
  void openEditor(uintptr_t parentView);
  void closeEditor();
  void idleEditor();
  void snapshot(bool graphOnly, uint8_t* rgba, int width, int height);
  bool editorOpen() const { return mEditorOpen; }

  // Called from the thread on which the effect reports a new view size.
  void onViewResized(std::function<void(int, int)> handler) { mResized = std::move(handler); }

  // Number of value notifications the effect sent (from any thread).
  int hostEdits() const { return mEdits; }
  // Marks the calling thread as the audio thread, for the count below.
  static void markAudioThread();
  // Edit and resize notifications the effect made from the audio thread.
  int audioThreadCallbacks() const { return mAudioThreadCallbacks; }

private:
  static void beginEdit(void* user, const char* id);
  static void setValue(void* user, const char* id, double normalized);
  static void endEdit(void* user, const char* id);
  static int32_t getTimeInfo(void* user, AcfTimeInfo* info);
  static void viewResized(void* user, int32_t width, int32_t height);
  static void countCallback(void* user);

  uint32_t stateChunkId();

  const AcfEffectFactory& mFactory;
  AcfEffect* mEffect = nullptr;
  int mComponentIndex;
  AcfComponent mComponent;
  int mChannels;
  double mSampleRate = 0.0;
  bool mEditorOpen = false;
  std::atomic<bool> mPlaying{false};
  std::atomic<int64_t> mPosition{0};
  std::atomic<int> mEdits{0};
  std::atomic<int> mAudioThreadCallbacks{0};
  std::function<void(int, int)> mResized;
};
