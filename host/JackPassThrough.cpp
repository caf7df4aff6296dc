#include "JackPassThrough.h"

#include "HostError.h"

#include <jack/jack.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace
{
void quiet(const char*) {}

void toStderr(const char* message) { std::fprintf(stderr, "JACK: %s\n", message); }
} // namespace

JackPassThrough::JackPassThrough(const std::string& name)
{
  // Without a server libjack prints several lines of why; one of ours says it.
  jack_set_error_function(&quiet);
  jack_status_t status{};
  mClient = jack_client_open(name.c_str(), JackNoStartServer, &status);
  jack_set_error_function(&toStderr);
  if (!mClient)
  {
    if ((status & JackServerFailed) != 0 || (status & JackServerError) != 0)
      throw HostError("no JACK server answers (start jackd, or run under pw-jack with PipeWire)", 2);
    throw HostError("the JACK server refused the client \"" + name + "\" (status " + std::to_string(status) + ")", 2);
  }
  mName = jack_get_client_name(mClient);
  mPeriod = jack_get_buffer_size(mClient);
  mRate = jack_get_sample_rate(mClient);
  mEffectRate = mRate;
}

JackPassThrough::~JackPassThrough()
{
  deactivate();
  jack_client_close(mClient);
}

double JackPassThrough::sampleRate() const { return mRate.load(); }

int JackPassThrough::periodFrames() const { return static_cast<int>(mPeriod.load()); }

void JackPassThrough::activate(EffectInstance& effect)
{
  if (effect.channels() != kChannels)
    throw HostError("live runs the stereo component only");
  mEffect = &effect;
  mEffectRate = static_cast<jack_nframes_t>(effect.sampleRate());
  for (int c = 0; c < kChannels; ++c)
  {
    const std::string in = "in_" + std::to_string(c + 1);
    const std::string out = "out_" + std::to_string(c + 1);
    mIn[c] = jack_port_register(mClient, in.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    mOut[c] = jack_port_register(mClient, out.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (!mIn[c] || !mOut[c])
      throw HostError("the JACK server refused to register the ports of " + mName);
  }
  // JACK may call these at once, with the values it has now.
  if (jack_set_process_callback(mClient, &JackPassThrough::process, this) != 0 ||
      jack_set_buffer_size_callback(mClient, &JackPassThrough::periodChanged, this) != 0 ||
      jack_set_sample_rate_callback(mClient, &JackPassThrough::rateChanged, this) != 0)
    throw HostError("the JACK server refused the callbacks of " + mName);
  jack_on_shutdown(mClient, &JackPassThrough::shutdown, this);
  if (jack_activate(mClient) != 0)
    throw HostError("the JACK server refused to activate " + mName);
  mActive = true;
  mReportedPeriod = mPeriod;
}

void JackPassThrough::deactivate()
{
  if (!mActive)
    return;
  mActive = false;
  if (!mServerGone)
    jack_deactivate(mClient);
}

std::string JackPassThrough::portName(int channel, bool input) const
{
  return jack_port_name(input ? mIn[channel] : mOut[channel]);
}

void JackPassThrough::connectAll(const std::vector<std::string>& ports, bool inputs)
{
  for (std::size_t i = 0; i < ports.size(); ++i)
    for (int c = 0; c < kChannels; ++c)
    {
      if (ports.size() > 1 && static_cast<int>(i % kChannels) != c)
        continue;
      const std::string ours = portName(c, inputs);
      const std::string& source = inputs ? ports[i] : ours;
      const std::string& destination = inputs ? ours : ports[i];
      const int r = jack_connect(mClient, source.c_str(), destination.c_str());
      if (r != 0 && r != EEXIST)
      {
        std::string message = "cannot connect " + source;
        message += " to " + destination;
        message += inputs ? " (is there such a port, an output?)" : " (is there such a port, an input?)";
        throw HostError(message);
      }
    }
}

void JackPassThrough::connectInputs(const std::vector<std::string>& ports) { connectAll(ports, true); }

void JackPassThrough::connectOutputs(const std::vector<std::string>& ports) { connectAll(ports, false); }

int JackPassThrough::takeNewPeriod()
{
  const jack_nframes_t period = mPeriod;
  if (period == mReportedPeriod)
    return 0;
  mReportedPeriod = period;
  return static_cast<int>(period);
}

double JackPassThrough::followRate()
{
  const jack_nframes_t rate = mRate;
  if (!mActive || rate == mEffectRate || rate == 0)
    return 0.0;
  // Both flags are sequentially consistent: either the callback sees the
  // hold before it renders, or this thread sees it rendering and waits.
  mHold = true;
  while (mRendering)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  try
  {
    const std::vector<uint8_t> state = mEffect->saveChunk();
    mEffect->initialize(rate);
    mEffect->restoreChunk(state);
  }
  catch (...)
  {
    mHold = false;
    throw;
  }
  mEffectRate = rate;
  mHold = false;
  return rate;
}

int JackPassThrough::process(jack_nframes_t frames, void* arg)
{
  auto* self = static_cast<JackPassThrough*>(arg);
  const float* in[kChannels];
  float* out[kChannels];
  for (int c = 0; c < kChannels; ++c)
  {
    in[c] = static_cast<const float*>(jack_port_get_buffer(self->mIn[c], frames));
    out[c] = static_cast<float*>(jack_port_get_buffer(self->mOut[c], frames));
  }

  self->mRendering = true;
  if (self->mHold)
  {
    for (int c = 0; c < kChannels; ++c)
      std::memmove(out[c], in[c], frames * sizeof(float));
    self->mRendering = false;
    return 0;
  }
  // JACK's period may exceed the effect's largest block: render in pieces.
  for (jack_nframes_t done = 0; done < frames;)
  {
    const auto n = std::min<jack_nframes_t>(frames - done, ACF_MAX_BLOCK_FRAMES);
    const float* pieceIn[kChannels] = {in[0] + done, in[1] + done};
    float* pieceOut[kChannels] = {out[0] + done, out[1] + done};
    const AcfResult r = self->mEffect->renderBlock(pieceIn, pieceOut, static_cast<int>(n));
    if (r != ACF_SUCCESS)
    {
      AcfResult none = ACF_SUCCESS;
      self->mFailure.compare_exchange_strong(none, r);
      for (int c = 0; c < kChannels; ++c)
        std::memmove(pieceOut[c], pieceIn[c], n * sizeof(float));
    }
    done += n;
  }
  self->mRendering = false;
  return 0;
}

int JackPassThrough::periodChanged(jack_nframes_t frames, void* arg)
{
  static_cast<JackPassThrough*>(arg)->mPeriod = frames;
  return 0;
}

int JackPassThrough::rateChanged(jack_nframes_t rate, void* arg)
{
  static_cast<JackPassThrough*>(arg)->mRate = rate;
  return 0;
}

void JackPassThrough::shutdown(void* arg) { static_cast<JackPassThrough*>(arg)->mServerGone = true; }
