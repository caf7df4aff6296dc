// A JACK client of the test's own with two audio inputs: it records what
// reaches them into memory set aside beforehand (its process callback only
// copies), and looks up ports on the server for the test.
#pragma once

#include <jack/types.h>

#include <array>
#include <atomic>
#include <string>
#include <vector>

class JackRecorder
{
public:
  // Waits up to timeoutSeconds for the server to answer, then registers
  // in_1 and in_2 and starts recording. Throws when no server answers.
  JackRecorder(const std::string& server, const std::string& name, long maxFrames, double timeoutSeconds = 10.0);
  ~JackRecorder();

  // Whether a server of this name takes a client now.
  static bool serverAnswers(const std::string& server);

  JackRecorder(const JackRecorder&) = delete;
  JackRecorder& operator=(const JackRecorder&) = delete;

  std::string port(int channel) const;
  // Whether any port feeds the input.
  bool connected(int channel) const;
  // Whether the server has a port of this name.
  bool hasPort(const std::string& name) const;
  long frames() const { return mFrames; }
  // Ends the recording; the samples are then complete.
  void stop();
  const std::vector<float>& samples(int channel) const { return mSamples[channel]; }

private:
  static int process(jack_nframes_t frames, void* arg);

  jack_client_t* mClient = nullptr;
  std::array<jack_port_t*, 2> mPorts{};
  std::array<std::vector<float>, 2> mSamples;
  std::atomic<long> mFrames{0};
  bool mActive = false;
};
