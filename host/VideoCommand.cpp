#include "VideoCommand.h"

#include "EditorWindow.h"
#include "HostError.h"
#include "InterruptCatcher.h"
#include "ProgressBar.h"
#include "SoundFeeder.h"
#include "VideoEncoder.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
constexpr int kMaxSide = 8192;
// Audio fed before --from, so that the landscape is already there at the start.
constexpr double kPreRollSeconds = 1.5;
// Samples: one and a half of the analysis's frames of 2048.
constexpr int64_t kAnalysisDelay = 3072;

// Angle0 swinging between -90 and 90 degrees at degPerSecond, from start.
double orbitAngle(double start, double degPerSecond, double seconds)
{
  const double travelled = std::fmod(start + 90.0 + degPerSecond * seconds, 360.0);
  const double folded = travelled < 0.0 ? travelled + 360.0 : travelled;
  return (folded <= 180.0 ? folded : 360.0 - folded) - 90.0;
}
} // namespace

int VideoCommand::run(const RenderOptions& options)
{
  // Everything that can be refused is checked before the file is begun.
  if (!options.output.empty())
    throw HostError("render takes either -o PICTURE.png or --video FILE, not both", 2);
  if (options.fps < 1 || options.fps > 240)
    throw HostError("--fps takes 1 to 240 frames per second", 2);
  if (!(options.from >= 0.0) || !std::isfinite(options.from) || !std::isfinite(options.to) ||
      (options.to >= 0.0 && options.to <= options.from))
    throw HostError("--from and --to take seconds, --to after --from", 2);
  if (!std::isfinite(options.orbit) || !std::isfinite(options.gain) || std::fabs(options.gain) > 120.0)
    throw HostError("--orbit takes degrees per second and --gain decibels within -120..120", 2);
  int width = 0;
  int height = 0;
  const bool wholeEditor = options.size.empty() && !options.session.editorSize.empty();
  if (!wholeEditor)
    RenderCommand::parseSize(options.size.empty() ? "1280x720" : options.size, kMaxSide, width, height);
  double camera[3] = {0.0, 15.0, 45.0};
  if (!options.camera.empty())
    RenderCommand::parseCamera(options.camera, camera[0], camera[1], camera[2]);

  std::unique_ptr<EditorWindow> window = EditorWindow::connect();
  if (!window)
    throw HostError(RenderCommand::noDisplayMessage(), 2);

  HostSession session(options.session);
  EffectInstance& effect = session.effect();
  AudioSource& source = session.source();
  const double rate = source.sampleRate();
  const int64_t total = source.frames();
  const int64_t start = std::llround(options.from * rate);
  const int64_t end = options.to >= 0.0 ? std::min<int64_t>(total, std::llround(options.to * rate)) : total;
  if (start >= end)
  {
    char from[32];
    std::snprintf(from, sizeof from, "%g", options.from);
    throw HostError(std::string("--from ") + from + " s is past the end of " + session.inputLabel(), 2);
  }

  int editorWidth = 0;
  int editorHeight = 0;
  effect.editorSize(editorWidth, editorHeight);
  window->create(editorWidth, editorHeight, false, "QX Crest");
  effect.openEditor(window->handle());
  if (wholeEditor)
  {
    width = editorWidth;
    height = editorHeight;
  }
  const bool turning = options.orbit != 0.0;
  if (!options.camera.empty() || turning)
    session.setCamera(camera[0], camera[1], camera[2]);
  effect.idleEditor();

  VideoSpec spec;
  spec.path = options.video;
  spec.videoCodec = options.codec;
  spec.width = width;
  spec.height = height;
  spec.fps = options.fps;
  spec.audioChannels = source.channels();
  spec.sampleRate = static_cast<int>(std::lround(rate));
  spec.pcmBits = source.pcmBits();
  InterruptCatcher interrupt;
  VideoEncoder video(spec);

  SoundFeeder feeder(source, effect, std::pow(10.0, options.gain / 20.0));
  // A source that runs dry before its stated length (a cut or unreadable
  // file) would leave a video shorter than the one reported; the encoder
  // removes its unfinished file.
  const auto feed = [&](int64_t until) {
    if (feeder.feedTo(until, start, &video))
      return;
    char at[64];
    std::snprintf(at, sizeof at, " past %.3f s of its %.3f s", static_cast<double>(feeder.position()) / rate,
                  static_cast<double>(total) / rate);
    throw HostError("cannot read " + source.label() + at);
  };
  feeder.skipTo(start - std::min<int64_t>(start, std::llround(kPreRollSeconds * rate)));
  feed(start);

  // Picture k belongs to the time k / fps. The analysis answers a sound
  // late: it works in cycles of 2048 samples and a spectrum's window reaches
  // past the sound, some 10 to 60 ms in all. Each picture is taken once the
  // effect has had the sound up to its time plus that delay, so that a sound
  // and the landscape's answer to it appear together, as they would not in a
  // live host.
  const int64_t pictures = static_cast<int64_t>(std::ceil(static_cast<double>(end - start) * options.fps / rate));
  std::vector<uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  ProgressBar progress(pictures, isatty(STDERR_FILENO) == 1);
  const auto began = std::chrono::steady_clock::now();
  int64_t k = 0;
  for (; k < pictures && !InterruptCatcher::interrupted(); ++k)
  {
    const int64_t at = start + std::llround(static_cast<double>(k) * rate / options.fps) + kAnalysisDelay;
    feed(std::min(at, end));
    if (turning)
      session.setCamera(orbitAngle(camera[0], options.orbit, static_cast<double>(k) / options.fps), camera[1],
                        camera[2]);
    effect.snapshot(!wholeEditor, rgba.data(), width, height);
    video.addPicture(rgba.data());
    progress.update(k + 1);
  }
  // The sound up to the last picture's end; all of it when nothing stopped us.
  const bool stopped = k < pictures;
  const int64_t soundEnd =
    stopped ? std::min<int64_t>(end, start + std::llround(static_cast<double>(k) * rate / options.fps)) : end;
  feed(soundEnd);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  progress.finish();
  effect.closeEditor();
  video.finish();

  const double length = static_cast<double>(soundEnd - start) / rate;
  std::printf("%s\n", options.video.c_str());
  std::printf("%s, %lld pictures, %.3f s of %s\n", video.describe().c_str(), static_cast<long long>(k), length,
              session.inputLabel().c_str());
  std::printf("rendered in %.1f s: %.2f x real time\n", seconds, seconds > 0.0 ? length / seconds : 0.0);
  if (stopped)
  {
    std::fprintf(stderr, "crest-host: interrupted; %s holds the first %.3f s\n", options.video.c_str(), length);
    return 130;
  }
  return 0;
}
