// crest-host live under a JACK server on the dummy back end: music played
// into it by sndfile-jackplay comes out of it bit for bit (recorded by a
// client of the test's own), through a change of the server's period to one
// above the effect's largest block; its window shows the landscape moving.
#include "host/DemoSignal.h"
#include "tests/host/HostProgram.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/JackRecorder.h"
#include "tests/support/PrivateDisplay.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <thread>

namespace
{
constexpr int kRate = 44100;

bool waitUntil(const std::function<bool()>& condition, double seconds)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!condition())
  {
    if (std::chrono::steady_clock::now() >= end)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// `seconds` of the demo's music as a stereo float WAV, and a quarter of a
// second of silence: in the period after the end of its file,
// sndfile-jackplay sends what its buffer held before.
Sound music(double seconds)
{
  Sound s;
  s.channels = 2;
  s.sampleRate = kRate;
  const auto frames = static_cast<std::size_t>(seconds * kRate);
  s.samples.resize((frames + kRate / 4) * 2);
  DemoSignal demo;
  demo.read(s.samples.data(), static_cast<int64_t>(frames));
  return s;
}

// Where the recording holds the sound, found by the first non-zero sample
// of the left channel, and how many samples differ from it bit for bit;
// everything recorded before and after it must be silence (+0.0).
struct Comparison
{
  long offset = -1;
  long mismatches = 0;
  std::string first; // where the first mismatch is, for the failure message
};

Comparison compare(const Sound& sound, const JackRecorder& recorder)
{
  Comparison c;
  const long frames = sound.frames();
  const long recorded = recorder.frames();
  long firstIn = 0;
  while (firstIn < frames && sound.samples[static_cast<std::size_t>(firstIn) * 2] == 0.0f)
    ++firstIn;
  long firstOut = 0;
  while (firstOut < recorded && recorder.samples(0)[firstOut] == 0.0f)
    ++firstOut;
  c.offset = firstOut - firstIn;
  if (c.offset < 0 || c.offset + frames > recorded)
  {
    c.offset = -1;
    return c;
  }
  for (long i = 0; i < recorded; ++i)
    for (int ch = 0; ch < 2; ++ch)
    {
      const long k = i - c.offset;
      const float expected = k >= 0 && k < frames ? sound.samples[static_cast<std::size_t>(k) * 2 + ch] : 0.0f;
      const float got = recorder.samples(ch)[i];
      if (std::memcmp(&expected, &got, sizeof(float)) == 0)
        continue;
      if (c.mismatches++ == 0)
        c.first = "first at frame " + std::to_string(k) + " of channel " + std::to_string(ch) + ": " +
                  std::to_string(got) + " for " + std::to_string(expected);
    }
  return c;
}

// A JACK server of the test's own, the recorder, and sndfile-jackplay
// waiting with the sound for the go. With CREST_LIVE_SERVER=NAME the server
// of that name, already running at 44.1 kHz and 256 frames, serves instead
// (scripts/test-live-pipewire.sh: PipeWire's, the test run under pw-jack).
class LiveRig
{
public:
  explicit LiveRig(const Sound& sound)
  {
    HostProgram::writeSound(mHost.path("music.wav"), sound);
    const char* running = std::getenv("CREST_LIVE_SERVER");
    mServer = running && *running ? running : "crest-live-" + std::to_string(getpid());
    if (!running || !*running)
    {
      ChildProcess::Options server;
      server.environment = {"LD_PRELOAD"}; // a sanitizer's preloads are for crest-host only
      server.log = mHost.path("jackd.log");
      // Synchronous mode: a cycle waits for every client however late, where
      // the default mode would drop or repeat a period on a busy machine.
      const std::vector<std::string> jackd = {
        "jackd", "-n", mServer, "-r", "-S", "-t", "10000", "-d", "dummy", "-r", std::to_string(kRate), "-p", "256"};
      // JACK's registry holds 8 servers per machine, and keeps the places of
      // servers that were killed: while none is free, jackd exits at once
      // ("Too many servers already active"); try again until one frees.
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
      for (;;)
      {
        mJackd = std::make_unique<ChildProcess>(jackd, server);
        waitUntil([this] { return !mJackd->running() || JackRecorder::serverAnswers(mServer); }, 20.0);
        if (mJackd->running())
          break;
        if (std::chrono::steady_clock::now() >= end)
          throw std::runtime_error("jackd did not start: " + HostProgram::readText(server.log));
        std::this_thread::sleep_for(std::chrono::milliseconds(200 + getpid() % 500));
      }
    }
    mRecorder = std::make_unique<JackRecorder>(mServer, "crest-test-rec", sound.frames() + 20L * kRate);

    ChildProcess::Options player = client(mHost.path("jackplay.log"));
    player.environment.emplace_back("LD_PRELOAD");
    player.pipeInput = true;
    mPlayer = std::make_unique<ChildProcess>(
      std::vector<std::string>{"sndfile-jackplay", "-w", mHost.path("music.wav")}, player);
    if (!waitUntil([this] { return mRecorder->hasPort("jackplay:out_2") || !mPlayer->running(); }, 20.0) ||
        !mPlayer->running())
      throw std::runtime_error("sndfile-jackplay did not come up: " + HostProgram::readText(player.log));
  }

  // Options for a client of this server, logging into the scratch folder.
  ChildProcess::Options client(const std::string& log) const
  {
    ChildProcess::Options o;
    o.environment = {"JACK_DEFAULT_SERVER=" + mServer};
    o.log = log;
    return o;
  }

  // crest-host live with the player on its inputs and the recorder on its outputs.
  std::unique_ptr<ChildProcess> startLive(const std::string& bundle, const std::vector<std::string>& extra,
                                          ChildProcess::Options options)
  {
    std::vector<std::string> argv = {CREST_HOST_BIN,  "--bundle",        bundle,          "live",
                                     "--name",        "crest-live",      "--connect-in",  "jackplay:out_1",
                                     "--connect-in",  "jackplay:out_2",  "--connect-out", mRecorder->port(0),
                                     "--connect-out", mRecorder->port(1)};
    argv.insert(argv.end(), extra.begin(), extra.end());
    auto live = std::make_unique<ChildProcess>(argv, options);
    if (!waitUntil([this] { return mRecorder->connected(0) && mRecorder->connected(1); }, 30.0))
      ADD_FAILURE() << "crest-host live did not connect: " << HostProgram::readText(options.log);
    return live;
  }

  // Starts the sound; returns once it has played and a little more is recorded.
  void play(const std::function<void()>& whilePlaying = {})
  {
    mPlayer->writeInput("\n");
    if (whilePlaying)
      whilePlaying();
    EXPECT_EQ(mPlayer->wait(60.0), 0) << HostProgram::readText(mHost.path("jackplay.log"));
    const long end = mRecorder->frames();
    EXPECT_TRUE(waitUntil([&] { return mRecorder->frames() > end + kRate / 2; }, 20.0));
  }

  // jack_bufsize: the server's period changed while running.
  void setPeriod(int frames)
  {
    ChildProcess::Options options = client(mHost.path("jack_bufsize.log"));
    options.environment.emplace_back("LD_PRELOAD");
    ChildProcess bufsize({"jack_bufsize", std::to_string(frames)}, options);
    EXPECT_EQ(bufsize.wait(20.0), 0);
  }

  JackRecorder& recorder() { return *mRecorder; }
  HostProgram& host() { return mHost; }

private:
  HostProgram mHost;
  std::string mServer;
  std::unique_ptr<ChildProcess> mJackd;
  std::unique_ptr<JackRecorder> mRecorder;
  std::unique_ptr<ChildProcess> mPlayer;
};

// The pixels of `b` that differ from `a`, and how many colours they take.
struct Change
{
  long pixels = 0;
  std::size_t colours = 0;
};

Change changeBetween(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
  Change c;
  std::set<uint32_t> colours;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i])
    {
      ++c.pixels;
      colours.insert(b[i]);
    }
  c.colours = colours.size();
  return c;
}
} // namespace

TEST(HostLive, PassesMusicThroughBitForBitWithTheLandscapeMoving)
{
  const Sound sound = music(3.0);
  LiveRig rig(sound);
  PrivateDisplay display(rig.host().path("xvfb.log"));
  ChildProcess::Options options = rig.client(rig.host().path("live.log"));
  options.environment.push_back("DISPLAY=" + display.name());
  // A stored state with "MediumGUI" on: the window comes up at the medium size.
  const double medium[11] = {0, 50, 50, 50, 0, 15, 45, 0, 0, 1, 0};
  std::ofstream(rig.host().path("medium.state"), std::ios::binary)
    .write(reinterpret_cast<const char*>(medium), sizeof medium);
  std::unique_ptr<ChildProcess> live = rig.startLive(CREST_BUNDLE_DIR,
                                                     {"--load-state", rig.host().path("medium.state")}, options);
  PrivateDisplay::Window window = 0;
  ASSERT_TRUE(waitUntil([&] { return (window = display.findWindow("QX Crest")) != 0; }, 10.0));

  std::vector<uint32_t> early, late;
  int width = 0, height = 0;
  rig.play([&] {
    // Pieces of 1024 frames at most: a period of 2048 is rendered in two.
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    rig.setPeriod(2048);
    early = display.picture(window, width, height);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    late = display.picture(window, width, height);
  });

  display.close(window);
  EXPECT_EQ(live->wait(20.0), 0) << HostProgram::readText(options.log);
  const std::string log = HostProgram::readText(options.log);
  EXPECT_NE(log.find("JACK client crest-live at 44100 Hz, 256 frames"), std::string::npos) << log;
  EXPECT_NE(log.find("JACK period now 2048 frames"), std::string::npos) << log;
  EXPECT_NE(log.find("passed "), std::string::npos) << log;

  rig.recorder().stop();
  const Comparison c = compare(sound, rig.recorder());
  EXPECT_GE(c.offset, 0) << "the sound is not in the recording of " << rig.recorder().frames() << " frames";
  EXPECT_EQ(c.mismatches, 0) << c.first;

  // The window shows the landscape, and it moves.
  EXPECT_EQ(width, 920);
  EXPECT_EQ(height, 640);
  ASSERT_EQ(early.size(), late.size());
  // What moved is the landscape of heights in its colour map, not one flat colour.
  const Change change = changeBetween(early, late);
  EXPECT_GT(change.pixels, 2000);
  EXPECT_GT(change.colours, 200u);
}

// The same check catches a single flipped sample (a bundle whose effect
// breaks the pass-through), and a headless run ends cleanly on SIGTERM.
TEST(HostLive, ComparisonCatchesOneFlippedSample)
{
  const Sound sound = music(1.0);
  LiveRig rig(sound);
  ChildProcess::Options options = rig.client(rig.host().path("live.log"));
  options.environment.emplace_back("DISPLAY");
  std::unique_ptr<ChildProcess> live = rig.startLive(CREST_FLIPPED_BUNDLE_DIR, {"--no-editor"}, options);
  rig.play();
  EXPECT_EQ(live->terminate(), 0) << HostProgram::readText(options.log);

  rig.recorder().stop();
  const Comparison c = compare(sound, rig.recorder());
  EXPECT_GE(c.offset, 0);
  EXPECT_EQ(c.mismatches, 1) << c.first;
}

TEST(HostLive, WithoutAServerOrADisplayItSaysWhatIsMissing)
{
  HostProgram host;
  HostResult r = host.run("live --no-editor", "env JACK_DEFAULT_SERVER=crest-none-" + std::to_string(getpid()));
  EXPECT_EQ(r.exitCode, 2);
  ASSERT_EQ(r.errLines().size(), 1u) << r.err;
  EXPECT_EQ(r.errLines()[0], "crest-host: no JACK server answers (start jackd, or run under pw-jack with PipeWire)");

  r = host.run("live", "env -u DISPLAY");
  EXPECT_EQ(r.exitCode, 2);
  ASSERT_EQ(r.errLines().size(), 1u) << r.err;
  EXPECT_EQ(r.errLines()[0], "crest-host: live needs an X display for its editor (set DISPLAY, or add --no-editor)");
}
