// crest-host: loads the QX Crest bundle through its C entry points and runs
// it the way a host would: describe it, process audio through it, render its
// editor to a picture or show the editor live.

#include "DescribeCommand.h"
#include "EditorWindow.h"
#include "HostError.h"
#include "LatencyCommand.h"
#include "LiveCommand.h"
#include "ProcessCommand.h"
#include "RenderCommand.h"
#include "ShowCommand.h"
#include "VideoCommand.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef CREST_DEFAULT_BUNDLE
#define CREST_DEFAULT_BUNDLE "build/QX-Crest.bundle"
#endif

namespace
{
void addSessionOptions(CLI::App* cmd, SessionOptions& s)
{
  cmd->add_option("input", s.input, "sound file to play through the effect (default: a demo signal)");
  cmd->add_option("--set", s.settings, "host value update ID=NORMALISED (id or name), repeatable")
    ->allow_extra_args(false);
  cmd->add_option("--load-state", s.loadState, "restore this chunk (raw data bytes) before the updates");
}

void addEditorOption(CLI::App* cmd, SessionOptions& s)
{
  cmd->add_option("--editor", s.editorSize, "editor size: small, medium or big")
    ->check(CLI::IsMember({"small", "medium", "big"}));
}

bool displayOpens()
{
  const char* display = std::getenv("DISPLAY");
  return display && *display && EditorWindow::connect() != nullptr;
}

// There is no display: the demo picture still comes out when xvfb-run can lend one.
int renderDemoPicture(const std::string& bundle)
{
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0)
  {
    self[n] = '\0';
    const std::string bundleArg = "--bundle=" + bundle;
    execlp("xvfb-run", "xvfb-run", "-a", self, bundleArg.c_str(), "render", "-o", "crest-demo.png",
           static_cast<char*>(nullptr));
  }
  // Not installed: render itself says what is missing.
  RenderOptions r;
  r.session.bundle = bundle;
  r.output = "crest-demo.png";
  return RenderCommand::run(r);
}

// Every subcommand's options, filled in by the parser.
struct Commands
{
  std::string bundle = CREST_DEFAULT_BUNDLE;
  bool json = false;
  CLI::App* describe = nullptr;
  ProcessOptions process;
  bool stereo = false;
  bool mono = false;
  CLI::App* processCmd = nullptr;
  RenderOptions render;
  CLI::App* renderCmd = nullptr;
  SessionOptions show;
  CLI::App* showCmd = nullptr;
  LatencyOptions latency;
  CLI::App* latencyCmd = nullptr;
  LiveOptions live;
  bool noEditor = false;
  CLI::App* liveCmd = nullptr;
};

void addProcessCommand(CLI::App& app, Commands& c)
{
  ProcessOptions& process = c.process;
  CLI::App* processCmd = c.processCmd = app.add_subcommand("process", "run audio through the effect");
  addSessionOptions(processCmd, process.session);
  processCmd->add_option("-o,--output", process.output, "write the output as a float WAV file");
  processCmd->add_option("--block", process.block, "frames per render call, 1 to 1024 (default 512)");
  CLI::Option* stereoOpt = processCmd->add_flag("--stereo", c.stereo, "use the stereo component");
  processCmd->add_flag("--mono", c.mono, "use the mono component")->excludes(stereoOpt);
  processCmd->add_flag("--bypass", process.session.bypass, "switch the host's bypass on");
  processCmd->add_flag("--transport", process.transport, "report the transport as playing");
  processCmd->add_option("--save-state", process.saveState, "write the chunk (raw data bytes) at the end");
}

void addEditorCommands(CLI::App& app, Commands& c)
{
  RenderOptions& render = c.render;
  CLI::App* renderCmd = c.renderCmd = app.add_subcommand("render", "write a picture of the editor after some audio");
  addSessionOptions(renderCmd, render.session);
  addEditorOption(renderCmd, render.session);
  renderCmd->add_option("-o,--output", render.output, "PNG file to write");
  renderCmd->add_option("--at", render.at, "seconds of audio to feed first (default 2.0)");
  renderCmd->add_option("--size", render.size,
                        "WIDTHxHEIGHT: the graph alone at this size (a video's default: 1280x720)");
  renderCmd->add_option("--camera", render.camera, "A0,A1,FOV: the camera's angles and field of view in degrees");
  renderCmd->add_option("--video", render.video, "write a video of the whole input instead (.mp4, .mkv, ...)");
  renderCmd->add_option("--fps", render.fps, "video frames per second (default 30)");
  renderCmd->add_option("--from", render.from, "video: start at this second of the input");
  renderCmd->add_option("--to", render.to, "video: end at this second of the input");
  renderCmd->add_option("--orbit", render.orbit, "video: swing the camera at this many degrees per second");
  renderCmd->add_option("--gain", render.gain, "video: decibels added to the analysed copy (not to the sound)");
  renderCmd->add_option("--codec", render.codec, "video: the video encoder's name (default: the container's)");

  c.showCmd = app.add_subcommand("show", "show the editor while the audio plays, looped");
  addSessionOptions(c.showCmd, c.show);
  addEditorOption(c.showCmd, c.show);

  LatencyOptions& latency = c.latency;
  CLI::App* latencyCmd = c.latencyCmd = app.add_subcommand(
    "latency", "count the render calls that slept while the editor is open and idled, and time them");
  addSessionOptions(latencyCmd, latency.session);
  addEditorOption(latencyCmd, latency.session);
  latencyCmd->add_option("--seconds", latency.seconds, "seconds of audio to play (default 10)");
  latencyCmd->add_option("--block", latency.block, "frames per render call, 1 to 1024 (default 256)");
  latencyCmd->add_option("--idle-ms", latency.idleMs, "milliseconds between editor idle calls (default 40)");
  latencyCmd->add_flag("--realtime", latency.realtime, "run the audio thread at a real-time priority (SCHED_FIFO)");
  latencyCmd->add_flag("--no-editor", latency.noEditor, "leave the editor closed");
  latencyCmd->add_flag("--state-churn", latency.stateChurn,
                       "save, restore and read back the state every 100 ms on a second host thread");
  latencyCmd->add_flag("--drag", latency.drag, "drag the camera on the editor's graph with X events");
}

void addLiveCommand(CLI::App& app, Commands& c)
{
  LiveOptions& live = c.live;
  CLI::App* cmd = c.liveCmd = app.add_subcommand(
    "live", "run as a JACK client: two inputs passed through to two outputs, the editor showing them");
  cmd->add_option("-n,--name", live.name, "JACK client name")->capture_default_str();
  cmd
    ->add_option("--connect-in", live.connectIn,
                 "connect this port to the inputs, repeatable: in turn to in_1 and in_2, a single one to both")
    ->allow_extra_args(false);
  cmd
    ->add_option("--connect-out", live.connectOut,
                 "connect the outputs to this port, repeatable: in turn from out_1 and out_2, a single one from both")
    ->allow_extra_args(false);
  cmd->add_option("--set", live.session.settings, "host value update ID=NORMALISED (id or name), repeatable")
    ->allow_extra_args(false);
  cmd->add_option("--load-state", live.session.loadState, "restore this chunk (raw data bytes) before the updates");
  addEditorOption(cmd, live.session);
  cmd->add_flag("--no-editor", c.noEditor, "run headless, without a window");
}

void addCommands(CLI::App& app, Commands& c)
{
  app.fallthrough();
  app.require_subcommand(0, 1);
  app.add_option("--bundle", c.bundle, "bundle folder (holding Contents/Linux/QX-Crest.so)")->capture_default_str();
  app.footer("Without a subcommand: show the demo when a display opens, else render it to "
             "crest-demo.png (through xvfb-run when that is installed).");

  c.describe = app.add_subcommand("describe", "print the description and the host parameters");
  c.describe->add_flag("--json", c.json, "as JSON");
  addProcessCommand(app, c);
  addEditorCommands(app, c);
  addLiveCommand(app, c);
}

int runCommand(Commands& c)
{
  const std::string& bundle = c.bundle;
  if (c.describe->parsed())
    return DescribeCommand::run(bundle, c.json);
  if (c.processCmd->parsed())
  {
    c.process.session.bundle = bundle;
    c.process.session.channels = c.stereo ? 2 : c.mono ? 1 : 0;
    return ProcessCommand::run(c.process);
  }
  if (c.renderCmd->parsed())
  {
    c.render.session.bundle = bundle;
    if (!c.render.video.empty())
      return VideoCommand::run(c.render);
    for (const char* name : {"--fps", "--from", "--to", "--orbit", "--gain", "--codec"})
      if (c.renderCmd->count(name) > 0)
        throw HostError(std::string(name) + " belongs to --video", 2);
    if (c.render.output.empty())
      throw HostError("render needs -o/--output PICTURE.png or --video FILE", 2);
    return RenderCommand::run(c.render);
  }
  if (c.showCmd->parsed())
  {
    c.show.bundle = bundle;
    return ShowCommand::run(c.show);
  }
  if (c.latencyCmd->parsed())
  {
    c.latency.session.bundle = bundle;
    c.latency.session.channels = 2;
    return LatencyCommand::run(c.latency);
  }
  if (c.liveCmd->parsed())
  {
    c.live.session.bundle = bundle;
    c.live.editor = !c.noEditor;
    return LiveCommand::run(c.live);
  }
  if (displayOpens())
  {
    SessionOptions s;
    s.bundle = bundle;
    return ShowCommand::run(s);
  }
  return renderDemoPicture(bundle);
}
} // namespace

int main(int argc, char** argv)
{
  try
  {
    CLI::App app{"crest-host: runs the QX Crest bundle as a host would", "crest-host"};
    Commands commands;
    addCommands(app, commands);

    try
    {
      app.parse(argc, argv);
    }
    catch (const CLI::ParseError& e)
    {
      // Help and the like; CLI11's own messages for errors take two lines.
      if (e.get_exit_code() == 0)
        return app.exit(e);
      std::fprintf(stderr, "crest-host: %s\n", e.what());
      return 2;
    }

    return runCommand(commands);
  }
  catch (const HostError& e)
  {
    std::fflush(stdout);
    std::fprintf(stderr, "crest-host: %s\n", e.what());
    return e.exitCode();
  }
  catch (const std::exception& e)
  {
    std::fflush(stdout);
    std::fprintf(stderr, "crest-host: %s\n", e.what());
    return 1;
  }
}
