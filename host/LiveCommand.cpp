#include "LiveCommand.h"

#include "EditorLoop.h"
#include "EditorWindow.h"
#include "HostError.h"
#include "InterruptCatcher.h"
#include "JackPassThrough.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace
{
// Deactivates the client before the effect it renders goes away.
struct Deactivation
{
  JackPassThrough& jack;
  ~Deactivation() { jack.deactivate(); }
};

// Reports what the server changed; false once the run should end.
bool stillRunning(JackPassThrough& jack)
{
  if (const int period = jack.takeNewPeriod())
    std::printf("JACK period now %d frames\n", period);
  const double rate = jack.followRate();
  if (rate > 0.0)
    std::printf("JACK rate now %.0f Hz\n", rate);
  std::fflush(stdout);
  return !InterruptCatcher::interrupted() && !jack.serverGone() && jack.renderFailure() == ACF_SUCCESS;
}
} // namespace

int LiveCommand::run(const LiveOptions& options)
{
  std::unique_ptr<EditorWindow> window;
  if (options.editor && !(window = EditorWindow::connect()))
    throw HostError("live needs an X display for its editor (set DISPLAY, or add --no-editor)", 2);

  JackPassThrough jack(options.name);
  EditorLoop loop; // before the session, which may still report a size while it closes
  SessionOptions sessionOptions = options.session;
  sessionOptions.channels = JackPassThrough::kChannels;
  sessionOptions.externalRate = jack.sampleRate();
  HostSession session(sessionOptions);
  EffectInstance& effect = session.effect();
  if (window)
  {
    int width = 0;
    int height = 0;
    effect.editorSize(width, height);
    loop.watch(effect);
    window->create(width, height, true, "QX Crest (" + jack.name() + ")");
    effect.openEditor(window->handle());
  }

  {
    const InterruptCatcher interrupt(true);
    const Deactivation deactivation{jack};
    jack.activate(effect);
    jack.connectInputs(options.connectIn);
    jack.connectOutputs(options.connectOut);
    const std::string& n = jack.name();
    std::printf("JACK client %s at %.0f Hz, %d frames: inputs %s:in_1 %s:in_2, outputs %s:out_1 %s:out_2; %s\n",
                n.c_str(), jack.sampleRate(), jack.periodFrames(), n.c_str(), n.c_str(), n.c_str(), n.c_str(),
                window ? "close the window or press Ctrl-C to end" : "press Ctrl-C to end");
    std::fflush(stdout);

    if (window)
      loop.run(*window, effect, [&jack] { return stillRunning(jack); });
    else
      while (stillRunning(jack))
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
  effect.closeEditor();
  if (jack.serverGone())
    throw HostError("the JACK server went away");
  if (jack.renderFailure() != ACF_SUCCESS)
    throw HostError("the effect refused a block (result " + std::to_string(jack.renderFailure()) + ")");
  std::printf("passed %.1f s of audio through\n", static_cast<double>(effect.position()) / effect.sampleRate());
  return 0;
}
