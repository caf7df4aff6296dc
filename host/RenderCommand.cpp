#include "RenderCommand.h"

#include "BlockReader.h"
#include "ChannelBlocks.h"
#include "EditorWindow.h"
#include "HostError.h"
#include "PngWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
constexpr int kBlock = 512;

std::string absolute(const std::string& path)
{
  char* real = realpath(path.c_str(), nullptr);
  if (!real)
    return path;
  std::string s = real;
  std::free(real);
  return s;
}
}

void RenderCommand::parseSize(const std::string& text, int maxSide, int& width, int& height)
{
  const std::string range = maxSide > 0 ? "from 4x4 to " + std::to_string(maxSide) + "x" + std::to_string(maxSide)
                                        : "of at least 4x4";
  const std::string bad = "--size takes WIDTHxHEIGHT " + range + " (got \"" + text + "\")";
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string::npos)
    throw HostError(bad, 2);
  char* end = nullptr;
  const long w = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + x)
    throw HostError(bad, 2);
  const long h = std::strtol(text.c_str() + x + 1, &end, 10);
  if (*end != '\0' || x + 1 == text.size())
    throw HostError(bad, 2);
  if (maxSide > 0 && (w > maxSide || h > maxSide))
    throw HostError(bad, 2);
  // The graph takes only multiples of 4.
  width = static_cast<int>(std::min<long>(w, 16384) / 4 * 4);
  height = static_cast<int>(std::min<long>(h, 16384) / 4 * 4);
  if (width < 4 || height < 4)
    throw HostError(bad, 2);
}

void RenderCommand::parseCamera(const std::string& text, double& angle0, double& angle1, double& fov)
{
  const std::string bad = "--camera takes ANGLE0,ANGLE1,FOV in degrees, within -90..90, 15..90 and 15..45 (got \"" +
                          text + "\")";
  double v[3] = {0.0, 0.0, 0.0};
  const char* p = text.c_str();
  for (int k = 0; k < 3; ++k)
  {
    char* end = nullptr;
    v[k] = std::strtod(p, &end);
    if (end == p || !std::isfinite(v[k]) || *end != (k < 2 ? ',' : '\0'))
      throw HostError(bad, 2);
    p = end + 1;
  }
  if (v[0] < -90.0 || v[0] > 90.0 || v[1] < 15.0 || v[1] > 90.0 || v[2] < 15.0 || v[2] > 45.0)
    throw HostError(bad, 2);
  angle0 = v[0];
  angle1 = v[1];
  fov = v[2];
}

const char* RenderCommand::noDisplayMessage()
{
  return "render needs an X display (set DISPLAY or run under xvfb-run)";
}

int RenderCommand::run(const RenderOptions& options)
{
  if (!(options.at >= 0.0) || !std::isfinite(options.at))
    throw HostError("--at must be a time of 0 seconds or more", 2);
  int graphWidth = 0;
  int graphHeight = 0;
  if (!options.size.empty())
    parseSize(options.size, 0, graphWidth, graphHeight);
  double camera[3] = {0.0, 0.0, 0.0};
  if (!options.camera.empty())
    parseCamera(options.camera, camera[0], camera[1], camera[2]);

  std::unique_ptr<EditorWindow> window = EditorWindow::connect();
  if (!window)
    throw HostError(noDisplayMessage(), 2);

  HostSession session(options.session);
  EffectInstance& effect = session.effect();
  AudioSource& source = session.source();
  int width = 0;
  int height = 0;
  effect.editorSize(width, height);
  window->create(width, height, false, "QX Crest");
  effect.openEditor(window->handle());
  if (!options.camera.empty())
    session.setCamera(camera[0], camera[1], camera[2]);

  const int channels = effect.channels();
  ChannelBlocks blocks(channels, kBlock);
  BlockReader reader(source, channels, kBlock, false);
  const int64_t wanted = std::llround(std::min(options.at * source.sampleRate(), 1e15));
  int64_t fed = 0;
  bool equal = true;
  while (fed < wanted)
  {
    const int n = reader.read(blocks.fill(), static_cast<int>(std::min<int64_t>(kBlock, wanted - fed)));
    if (n == 0)
      break;
    effect.render(blocks.inputs(), blocks.outputs(), n);
    for (int c = 0; c < channels; ++c)
      equal = equal && std::memcmp(blocks.input(c).data(), blocks.output(c).data(),
                                   sizeof(float) * static_cast<std::size_t>(n)) == 0;
    fed += n;
  }

  effect.idleEditor();
  const bool graphOnly = !options.size.empty();
  const int w = graphOnly ? graphWidth : width;
  const int h = graphOnly ? graphHeight : height;
  std::vector<uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  effect.snapshot(graphOnly, rgba.data(), w, h);
  effect.closeEditor();
  PngWriter::writeRgba(options.output, rgba.data(), w, h);

  std::printf("%s\n", absolute(options.output).c_str());
  std::printf("%s %d x %d after %.3f s of %s\n", graphOnly ? "graph" : "editor", w, h, fed / source.sampleRate(),
              session.inputLabel().c_str());
  std::printf("output equals input: %s\n", equal ? "yes" : "no");
  return 0;
}
