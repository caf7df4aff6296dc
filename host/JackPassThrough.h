#pragma once

#include "EffectInstance.h"

#include <jack/types.h>

#include <array>
#include <atomic>
#include <string>
#include <vector>

// The JACK client of `crest-host live`: two audio inputs and two outputs,
// with a process callback that renders the effect straight from the input
// buffers into the output buffers. It uses the plain JACK API only, so
// jackd and PipeWire's JACK serve it alike.
//
// Opening, activation, connections and the polling calls belong to the
// main thread. The process callback runs on JACK's real-time thread: it
// takes no lock, allocates nothing and makes no system call. The server's
// notifications (period, rate, shutdown) come on JACK's other threads and
// only store what they are told.
class JackPassThrough
{
public:
  static constexpr int kChannels = 2;

  // Opens the client; never starts a server. Throws when none answers.
  explicit JackPassThrough(const std::string& name);
  ~JackPassThrough();

  JackPassThrough(const JackPassThrough&) = delete;
  JackPassThrough& operator=(const JackPassThrough&) = delete;

  // The name the server granted (another when the asked one was taken).
  const std::string& name() const { return mName; }
  double sampleRate() const;
  int periodFrames() const;

  // Registers the ports and starts rendering through `effect`, which must
  // outlive the activation.
  void activate(EffectInstance& effect);
  // Stops the callbacks; safe to call twice.
  void deactivate();

  // The named ports go in turn to in_1 and in_2 (out_1 and out_2); a single
  // port goes to both.
  void connectInputs(const std::vector<std::string>& ports);
  void connectOutputs(const std::vector<std::string>& ports);

  // What the callbacks saw, asked from the main thread.
  bool serverGone() const { return mServerGone; }
  // ACF_SUCCESS, or the result of the first block the effect refused.
  AcfResult renderFailure() const { return mFailure; }
  // The period when it changed since the last call, else 0.
  int takeNewPeriod();
  // When the graph's rate changed: initialises the effect at the new rate,
  // with its state kept, while the process callback copies its input, and
  // returns the new rate; else 0.
  double followRate();

private:
  static int process(jack_nframes_t frames, void* arg);
  static int periodChanged(jack_nframes_t frames, void* arg);
  static int rateChanged(jack_nframes_t rate, void* arg);
  static void shutdown(void* arg);

  void connectAll(const std::vector<std::string>& ports, bool inputs);
  std::string portName(int channel, bool input) const;

  jack_client_t* mClient = nullptr;
  std::string mName;
  std::array<jack_port_t*, kChannels> mIn{};
  std::array<jack_port_t*, kChannels> mOut{};
  EffectInstance* mEffect = nullptr;
  bool mActive = false;

  // The effect at rest: the callback copies input to output instead.
  std::atomic<bool> mHold{false};
  // Set while the callback may be inside the effect.
  std::atomic<bool> mRendering{false};
  std::atomic<AcfResult> mFailure{ACF_SUCCESS};
  std::atomic<bool> mServerGone{false};
  std::atomic<jack_nframes_t> mPeriod{0};
  jack_nframes_t mReportedPeriod = 0;
  std::atomic<jack_nframes_t> mRate{0};
  jack_nframes_t mEffectRate = 0;
};
