// A VST3 host for tests, from the same C interface the plug-in is built
// against: loads a bundle's module, lists its classes, makes instances with
// a component handler, an IBStream that moves at most a set number of bytes
// per call, parameter change queues, an IPlugFrame with a run loop whose
// timers and fd handlers the test drives. The Check* functions hold the
// rules a plug-in must keep; each returns what broke ("" when nothing).
#pragma once

#include <travesty/audio_processor.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/factory.h>
#include <travesty/host.h>
#include <travesty/message.h>
#include <travesty/view.h>

#include <cstdint>
#include <string>
#include <vector>

class Vst3Module
{
public:
  // bundle: the .vst3 folder; its Contents/x86_64-linux/ holds the module.
  explicit Vst3Module(const std::string& bundle);
  ~Vst3Module();
  Vst3Module(const Vst3Module&) = delete;
  Vst3Module& operator=(const Vst3Module&) = delete;

  bool Ok() const { return mFactory != nullptr; }
  const std::string& Error() const { return mError; }
  v3_plugin_factory** Factory() { return mFactory; }
  // The audio module classes, with what factory 2 adds where it has it.
  std::vector<v3_class_info_2> Classes();

private:
  void* mLib = nullptr;
  v3_plugin_factory** mFactory = nullptr;
  std::string mError;
};

// One edit the plug-in made through the component handler.
struct Vst3Edit
{
  char kind; // 'b'egin, 'p'erform, 'e'nd
  v3_param_id id;
  double value;
};

class Vst3Instance
{
public:
  Vst3Instance(Vst3Module& module, const v3_tuid classId);
  ~Vst3Instance();
  Vst3Instance(const Vst3Instance&) = delete;
  Vst3Instance& operator=(const Vst3Instance&) = delete;

  bool Ok() const { return mComponent && mProcessor; }
  v3_component** Component() { return mComponent; }
  v3_audio_processor** Processor() { return mProcessor; }
  // Null for a plug-in without one.
  v3_edit_controller** Controller() { return mController; }
  int NIn() const { return mNIn; }
  int NOut() const { return mNOut; }

  // setup_processing, set_active, set_processing, each checked.
  std::string Activate(double rate, int maxBlock);
  void Deactivate();
  // One block of 32-bit floats; changes: (id, value) points at offset 0.
  v3_result Process(const float* const* in, float* const* out, int n,
                    const std::vector<std::pair<v3_param_id, double>>& changes = {});

  std::vector<v3_param_info> Params();
  // The component's state, read back; empty when get_state fails.
  std::vector<uint8_t> GetState();
  v3_result SetState(const std::vector<uint8_t>& record, int bytesPerCall);

  // --- Editor ---
  // Makes the view, attaches it to the X window parent; "" when it works.
  std::string OpenEditor(unsigned long parent);
  // Runs the run loop for ms milliseconds: due timers, readable fds.
  void RunLoop(int ms);
  int Timers() const;
  void CloseEditor();
  v3_plugin_view** View() { return mView; }
  const std::vector<Vst3Edit>& Edits() const;
  void ClearEdits();
  // Sizes the plug-in asked the frame for.
  const std::vector<v3_view_rect>& Resizes() const;

  struct Host;

private:
  Host* mHost;
  v3_component** mComponent = nullptr;
  v3_audio_processor** mProcessor = nullptr;
  v3_edit_controller** mController = nullptr;
  bool mSeparateController = false;
  v3_connection_point** mComponentPoint = nullptr;
  v3_connection_point** mControllerPoint = nullptr;
  v3_plugin_view** mView = nullptr;
  int mNIn = 0, mNOut = 0;
  bool mActive = false;
};

// What a plug-in must do, checked on a class of a module. identity: the
// plug-in is a pass-through (output equal to input bit for bit, NaNs and
// infinities too). strictState: short and oversized records are refused
// and change nothing. badValues: parameter values outside what the format
// allows (NaN, infinities, outside 0..1) change nothing for the worse.
struct Vst3Rules
{
  bool identity = false;
  bool strictState = false;
  bool badValues = false;
};

std::string CheckFactory(Vst3Module& module);
std::string CheckActivation(Vst3Module& module, const v3_tuid cid);
// Blocks of 1 to 4096 frames, in place and not: every output frame
// written, finite for a finite input, or equal to the input.
std::string CheckBlocks(Vst3Module& module, const v3_tuid cid, const Vst3Rules& rules);
std::string CheckParameterEvents(Vst3Module& module, const v3_tuid cid, const Vst3Rules& rules);
std::string CheckState(Vst3Module& module, const v3_tuid cid, const Vst3Rules& rules);
// 16 instances on 4 threads at once, each activated and run.
std::string CheckThreads(Vst3Module& module, const v3_tuid cid, const Vst3Rules& rules);
