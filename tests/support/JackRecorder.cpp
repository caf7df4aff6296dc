#include "tests/support/JackRecorder.h"

#include <jack/jack.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace
{
void quiet(const char*) {}

void toStderr(const char* message) { std::fprintf(stderr, "jack: %s\n", message); }
} // namespace

JackRecorder::JackRecorder(const std::string& server, const std::string& name, long maxFrames, double timeoutSeconds)
{
  // The tries before the server is up would each print why they failed.
  jack_set_error_function(&quiet);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (!mClient)
  {
    jack_status_t status{};
    mClient = jack_client_open(name.c_str(), static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
                               server.c_str());
    if (!mClient && std::chrono::steady_clock::now() >= end)
    {
      jack_set_error_function(&toStderr);
      throw std::runtime_error("no JACK server \"" + server + "\" answers");
    }
    if (!mClient)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  jack_set_error_function(&toStderr);
  for (int c = 0; c < 2; ++c)
  {
    mSamples[c].assign(static_cast<std::size_t>(maxFrames), 0.0f);
    const std::string portName = "in_" + std::to_string(c + 1);
    mPorts[c] = jack_port_register(mClient, portName.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  }
  if (!mPorts[0] || !mPorts[1] || jack_set_process_callback(mClient, &JackRecorder::process, this) != 0 ||
      jack_activate(mClient) != 0)
  {
    jack_client_close(mClient);
    throw std::runtime_error("cannot set up the JACK recorder");
  }
  mActive = true;
}

bool JackRecorder::serverAnswers(const std::string& server)
{
  jack_set_error_function(&quiet);
  jack_status_t status{};
  jack_client_t* client = jack_client_open(
    "crest-test-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status, server.c_str());
  jack_set_error_function(&toStderr);
  if (client)
    jack_client_close(client);
  return client != nullptr;
}

JackRecorder::~JackRecorder()
{
  stop();
  jack_client_close(mClient);
}

std::string JackRecorder::port(int channel) const { return jack_port_name(mPorts[channel]); }

bool JackRecorder::connected(int channel) const { return jack_port_connected(mPorts[channel]) > 0; }

bool JackRecorder::hasPort(const std::string& name) const { return jack_port_by_name(mClient, name.c_str()); }

void JackRecorder::stop()
{
  if (mActive)
    jack_deactivate(mClient);
  mActive = false;
}

int JackRecorder::process(jack_nframes_t frames, void* arg)
{
  auto* self = static_cast<JackRecorder*>(arg);
  const long at = self->mFrames;
  const long n = std::min<long>(frames, static_cast<long>(self->mSamples[0].size()) - at);
  for (int c = 0; c < 2 && n > 0; ++c)
    std::memcpy(self->mSamples[c].data() + at, jack_port_get_buffer(self->mPorts[c], frames), n * sizeof(float));
  self->mFrames = at + std::max(0L, n);
  return 0;
}
