#include "ShowCommand.h"

#include "BlockReader.h"
#include "ChannelBlocks.h"
#include "EditorLoop.h"
#include "EditorWindow.h"
#include "HostError.h"
#include "InterruptCatcher.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>
#include <vector>

namespace
{
constexpr int kBlock = 512;

// Renders blocks paced by the clock: block k is due k * kBlock / rate after start.
void audioLoop(EffectInstance& effect, AudioSource& source, std::atomic<bool>& running, std::exception_ptr& failure)
{
  try
  {
    const int channels = effect.channels();
    ChannelBlocks blocks(channels, kBlock);
    BlockReader reader(source, channels, kBlock, true);
    const double rate = source.sampleRate();
    const auto start = std::chrono::steady_clock::now();
    int64_t frames = 0;
    while (running)
    {
      const int n = reader.read(blocks.fill(), kBlock);
      if (n == 0)
        break;
      effect.render(blocks.inputs(), blocks.outputs(), n);
      frames += n;
      const auto due = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double>(frames / rate));
      std::this_thread::sleep_until(due);
    }
  }
  catch (...)
  {
    failure = std::current_exception();
  }
  running = false;
}
}

const char* ShowCommand::noDisplayMessage() { return "show needs an X display (set DISPLAY or run under xvfb-run)"; }

int ShowCommand::run(const SessionOptions& options)
{
  std::unique_ptr<EditorWindow> window = EditorWindow::connect();
  if (!window)
    throw HostError(noDisplayMessage(), 2);

  EditorLoop loop; // before the session, which may still report a size while it closes
  HostSession session(options);
  EffectInstance& effect = session.effect();
  int width = 0;
  int height = 0;
  effect.editorSize(width, height);
  loop.watch(effect);

  window->create(width, height, true, "QX Crest");
  effect.openEditor(window->handle());
  std::printf("showing %s; close the window to end\n", session.inputLabel().c_str());
  std::fflush(stdout);

  std::atomic<bool> running{true};
  std::exception_ptr failure;
  {
    const InterruptCatcher interrupt(true);
    std::thread audio(audioLoop, std::ref(effect), std::ref(session.source()), std::ref(running), std::ref(failure));
    try
    {
      loop.run(*window, effect, [&running] { return running && !InterruptCatcher::interrupted(); });
    }
    catch (...)
    {
      running = false;
      audio.join();
      throw;
    }
    running = false;
    audio.join();
  }
  if (failure)
    std::rethrow_exception(failure);
  effect.closeEditor();
  std::printf("played %.1f s of audio\n", effect.position() / effect.sampleRate());
  return 0;
}
