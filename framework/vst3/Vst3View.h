// The editor as a VST3 view: embedded in the host's X11 window
// ("X11EmbedWindowID"), idled by a timer of the host's run loop (taken
// from the host's frame), grown or shrunk through the frame when the
// editor changes size. After every editor call it hands the exporter's
// queued notifications to the host: gestures to the component handler
// (begin, perform, end edit), sizes to the frame.
//
// Threads: the host's UI thread only.
#pragma once

#include "framework/IPlugExporter.h"
#include "framework/vst3/Vst3Face.h"

#include <travesty/view.h>

#include <cstdint>

class Vst3Plugin;

class Vst3View : public IPlugExporter::HostSink, public Vst3Counted<Vst3View>
{
public:
  // Holds a reference to the plug-in while it lives; one reference of its
  // own, the creator's.
  explicit Vst3View(Vst3Plugin* plugin);
  ~Vst3View() override;
  Vst3View(const Vst3View&) = delete;
  Vst3View& operator=(const Vst3View&) = delete;

  v3_plugin_view** Interface() { return mView.As<v3_plugin_view>(); }

  // Milliseconds between the run loop's ticks: the editor redraws at most
  // 25 times a second.
  static constexpr uint64_t kTickMs = 40;

private:
  friend class Vst3Counted<Vst3View>;
  struct Tables;
  static const Tables& VTables();

  v3_result QueryInterface(const v3_tuid iid, void** obj);
  v3_result Attached(void* parent, const char* type);
  v3_result Removed();
  v3_result SetFrame(v3_plugin_frame** frame);
  v3_result GetSize(v3_view_rect* rect);
  void StartTimer();
  void StopTimer();
  void Tick();
  void Deliver();

  // HostSink
  void BeginEdit(int idx) override;
  void SetValue(int idx, double normalized, bool echo) override;
  void EndEdit(int idx) override;
  void Resized(int width, int height) override;

  Vst3Face<Vst3View> mView, mTimer;
  Vst3Plugin* mPlugin;
  v3_plugin_frame** mFrame = nullptr;
  v3_run_loop** mRunLoop = nullptr;
  bool mAttached = false;
};
