// crest-lv2-latency: runs an LV2 plug-in (QX Crest Stereo unless told
// otherwise) through lilv as a host would, `run` paced in real time on an
// audio thread with music-like input, its X11 UI open in a window of ours and
// idled every 40 ms on this thread, optionally with camera drags made of X
// events; counts the run calls in which the audio thread slept.

#include "AudioFile.h"
#include "BlockReader.h"
#include "CameraDrag.h"
#include "ChannelBlocks.h"
#include "DemoSignal.h"
#include "EditorWindow.h"
#include "HostError.h"
#include "Lv2Plugin.h"
#include "Lv2PluginUi.h"
#include "PacedAudioThread.h"
#include "RenderMeter.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#ifndef CREST_LV2_PATH
#define CREST_LV2_PATH "build/lv2:/usr/lib/lv2"
#endif

namespace
{
using Clock = std::chrono::steady_clock;

// The graph's share of the editor's height, from its top.
constexpr double kGraphHeightShare = 408.0 / 555.0;
constexpr int kMaxBlock = 4096;

struct Options
{
  std::string input;
  std::string uri = "http://tessaro.example/plugins/qx-crest#stereo";
  std::string lv2Path = CREST_LV2_PATH;
  std::vector<std::string> settings;
  double seconds = 10.0;
  int block = 256;
  int idleMs = 40;
  bool realtime = false;
  bool noEditor = false;
  bool drag = false;
};

void applySetting(Lv2Plugin& plugin, const std::string& assignment)
{
  const std::size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == assignment.size())
    throw HostError("--set needs NAME=NORMALISED (got \"" + assignment + "\")", 2);
  char* end = nullptr;
  const double v = std::strtod(assignment.c_str() + eq + 1, &end);
  if (*end != '\0')
    throw HostError("--set " + assignment + ": not a number", 2);
  plugin.setNormalized(assignment.substr(0, eq), v);
}

int run(const Options& o)
{
  if (o.block < 1 || o.block > kMaxBlock)
    throw HostError("--block must be 1 to " + std::to_string(kMaxBlock), 2);
  if (o.noEditor && o.drag)
    throw HostError("--drag needs the UI (leave out --no-editor)", 2);
  std::unique_ptr<AudioSource> source;
  if (o.input.empty())
    source = std::make_unique<DemoSignal>();
  else
    source = AudioFile::openForReading(o.input);
  const double rate = source->sampleRate();

  std::unique_ptr<EditorWindow> window;
  if (!o.noEditor)
  {
    window = EditorWindow::connect();
    if (!window)
      throw HostError("the UI needs an X display (set DISPLAY or run under xvfb-run)", 2);
  }
  Lv2Plugin plugin(o.lv2Path, o.uri, rate);
  for (const std::string& s : o.settings)
    applySetting(plugin, s);
  const int channels = plugin.audioInputs();
  if (channels < 1 || channels > 2)
    throw HostError("the plug-in has " + std::to_string(channels) + " audio inputs; 1 or 2 are played");

  std::unique_ptr<Lv2PluginUi> ui;
  std::unique_ptr<CameraDrag> drag;
  uint32_t angle0Port = 0;
  if (window)
  {
    window->create(800, 555, true, "QX Crest (LV2)");
    ui = std::make_unique<Lv2PluginUi>(plugin, window->handle());
    if (ui->width() > 0 && ui->height() > 0)
      window->resize(ui->width(), ui->height());
    if (o.drag)
    {
      drag = CameraDrag::connect(ui->widget(), 0, 0, window->width(),
                                 static_cast<int>(window->height() * kGraphHeightShare));
      if (!drag)
        throw HostError("--drag could not open the display");
      angle0Port = plugin.controlPort("angle0");
    }
  }

  const auto blocks = static_cast<int64_t>(o.seconds * rate / o.block);
  RenderMeter meter(static_cast<std::size_t>(blocks) + 1, 1000.0 * o.block / rate);
  ChannelBlocks buffers(channels, o.block);
  BlockReader reader(*source, channels, o.block, true);
  plugin.connectAudio(buffers.inputs(), buffers.outputs());

  PacedAudioThread audio(o.block / rate, blocks, o.realtime, [&] {
    const int n = reader.read(buffers.fill(), o.block);
    meter.measure([&] { plugin.run(static_cast<uint32_t>(n)); });
  });

  int turned = 0;
  float atPress = ui && drag ? ui->lastWrite(angle0Port, 0.0f) : 0.0f;
  auto nextIdle = Clock::now();
  while (audio.running())
  {
    if (window)
    {
      window->processEvents(0);
      const bool released = drag && drag->step();
      ui->idle();
      window->flush();
      if (released)
      {
        const float now = ui->lastWrite(angle0Port, atPress);
        turned += now != atPress ? 1 : 0;
        atPress = now;
      }
    }
    nextIdle += std::chrono::milliseconds(o.idleMs);
    if (nextIdle < Clock::now())
      nextIdle = Clock::now() + std::chrono::milliseconds(o.idleMs);
    std::this_thread::sleep_until(nextIdle);
  }
  audio.join();
  ui.reset();

  std::printf("%s, %s (%d channels), UI %s%s, audio thread %s\n", source->label().c_str(), o.uri.c_str(), channels,
              window ? "open" : "closed", drag ? ", camera drags" : "",
              audio.realtimeGranted() ? "SCHED_FIFO" : "not real-time");
  const RenderMeter::Summary s = meter.summary();
  RenderMeter::print(stdout, "run", s, o.block, rate);
  if (drag)
    std::printf("camera drags: %d, turned the camera: %d (angle0 port writes)\n", drag->drags(), turned);
  return s.slept == 0 ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
  try
  {
    CLI::App app{"crest-lv2-latency: counts the LV2 run calls that slept while the UI is open and idled",
                 "crest-lv2-latency"};
    Options o;
    app.add_option("input", o.input, "sound file to play (default: a demo signal, looped)");
    app.add_option("--uri", o.uri, "plug-in URI")->capture_default_str();
    app.add_option("--lv2-path", o.lv2Path, "LV2_PATH to search")->capture_default_str();
    app.add_option("--set", o.settings, "control input NAME=NORMALISED (symbol or name), repeatable")
      ->allow_extra_args(false);
    app.add_option("--seconds", o.seconds, "seconds of audio to play (default 10)");
    app.add_option("--block", o.block, "frames per run call (default 256)");
    app.add_option("--idle-ms", o.idleMs, "milliseconds between UI idle calls (default 40)");
    app.add_flag("--realtime", o.realtime, "run the audio thread at a real-time priority (SCHED_FIFO)");
    app.add_flag("--no-editor", o.noEditor, "leave the UI closed");
    app.add_flag("--drag", o.drag, "drag the camera on the UI's graph with X events");
    try
    {
      app.parse(argc, argv);
    }
    catch (const CLI::ParseError& e)
    {
      if (e.get_exit_code() == 0)
        return app.exit(e);
      std::fprintf(stderr, "crest-lv2-latency: %s\n", e.what());
      return 2;
    }
    return run(o);
  }
  catch (const HostError& e)
  {
    std::fflush(stdout);
    std::fprintf(stderr, "crest-lv2-latency: %s\n", e.what());
    return e.exitCode();
  }
  catch (const std::exception& e)
  {
    std::fflush(stdout);
    std::fprintf(stderr, "crest-lv2-latency: %s\n", e.what());
    return 1;
  }
}
