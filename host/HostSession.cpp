#include "HostSession.h"

#include "AudioFile.h"
#include "DemoSignal.h"
#include "HostError.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

HostSession::HostSession(const SessionOptions& options)
{
  // An external rate: the audio arrives through the caller's own callbacks.
  const bool external = options.externalRate > 0.0;
  if (!external && options.input.empty())
    mSource = std::make_unique<DemoSignal>();
  else if (!external)
    mSource = AudioFile::openForReading(options.input);

  const int fileChannels = external ? options.channels : mSource->channels();
  if (fileChannels > 2)
    throw HostError(mSource->label() + " has " + std::to_string(fileChannels) +
                    " channels; only mono and stereo can be processed");
  const int channels = options.channels != 0 ? options.channels : fileChannels;

  mBundle = std::make_unique<PluginBundle>(options.bundle);
  const int component = mBundle->componentFor(channels);
  if (component < 0)
    throw HostError("the bundle has no component for " + std::to_string(channels) + " channels");
  mEffect = std::make_unique<EffectInstance>(mBundle->factory(), component, mBundle->components()[component]);
  mEffect->initialize(external ? options.externalRate : mSource->sampleRate());
  mParameters = mEffect->parameters();

  if (!options.loadState.empty())
    mEffect->restoreChunk(readFile(options.loadState));
  for (const std::string& s : options.settings)
    applySetting(s);
  if (options.bypass)
  {
    if (mParameters.empty())
      throw HostError("the effect declares no bypass parameter");
    mEffect->setNormalized(mParameters[0].id, 1.0);
  }
  if (!options.editorSize.empty())
    selectEditorSize(options.editorSize);
}

std::string HostSession::inputLabel() const
{
  if (!mSource)
    return "external input";
  const int in = mSource->channels();
  std::string s = mSource->label() + " (" + std::to_string(in) + (in == 1 ? " channel, " : " channels, ") +
                  std::to_string(static_cast<int>(std::lround(mSource->sampleRate()))) + " Hz)";
  if (mEffect->channels() != in)
    s += mEffect->channels() == 1 ? " mixed to mono" : " copied to both channels";
  return s;
}

std::string HostSession::findId(const std::string& idOrName)
{
  for (const AcfParameterInfo& p : mParameters)
    if (idOrName == p.id)
      return idOrName;
  for (const AcfParameterInfo& p : mParameters)
    if (idOrName == PluginBundle::text(p.name, sizeof p.name))
      return p.id;
  // Left to the effect to refuse.
  return idOrName;
}

void HostSession::applySetting(const std::string& assignment)
{
  const std::size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == assignment.size())
    throw HostError("--set needs ID=NORMALISED (got \"" + assignment + "\")", 2);
  const std::string value = assignment.substr(eq + 1);
  char* end = nullptr;
  errno = 0;
  const double n = std::strtod(value.c_str(), &end);
  if (*end != '\0')
    throw HostError("--set " + assignment + ": \"" + value + "\" is not a number", 2);
  const std::string id = findId(assignment.substr(0, eq));
  mEffect->setNormalized(id, n);
  // The effect takes some parameters only from its own editor or a saved
  // state; an update it dropped leaves the value where it was.
  double wanted = std::clamp(n, 0.0, 1.0);
  for (const AcfParameterInfo& p : mParameters)
  {
    // Integer and boolean parameters take the nearest step.
    const double steps = p.maxValue - p.minValue;
    if (id == p.id && p.kind != ACF_PARAMETER_CONTINUOUS && steps >= 1.0)
      wanted = std::round(wanted * steps) / steps;
  }
  const double now = mEffect->normalizedValue(id);
  if (std::fabs(now - wanted) > 1e-6)
  {
    const std::string name = assignment.substr(0, eq);
    const bool camera = name == "Angle0" || name == "Angle1" || name == "CamFov" || name == "5" || name == "6" ||
                        name == "7";
    std::fprintf(stderr, "crest-host: warning: the effect ignores host updates of %s (--set %s); it stays at %s%s\n",
                 name.c_str(), assignment.c_str(), mEffect->display(id).c_str(),
                 camera ? " (--camera A0,A1,FOV sets the camera)" : "");
  }
}

int HostSession::indexOf(const std::string& name) const
{
  for (std::size_t i = 1; i < mParameters.size(); ++i)
    if (PluginBundle::text(mParameters[i].name, sizeof mParameters[i].name) == name)
      return static_cast<int>(i);
  throw HostError("the effect has no parameter " + name);
}

void HostSession::setCamera(double angle0, double angle1, double fov)
{
  const int index[3] = {indexOf("Angle0"), indexOf("Angle1"), indexOf("CamFov")};
  const double value[3] = {angle0, angle1, fov};
  std::vector<uint8_t> state = mEffect->saveChunk();
  for (int k = 0; k < 3; ++k)
  {
    const std::size_t offset = stateOffset(index[k]);
    if (offset + sizeof(double) > state.size())
      throw HostError("the state chunk has no room for the camera");
    std::memcpy(state.data() + offset, &value[k], sizeof(double));
  }
  mEffect->restoreChunk(state);
}

void HostSession::selectEditorSize(const std::string& size)
{
  const char* names[] = {"SmallGUI", "MediumGUI", "BigGUI"};
  const int chosen = size == "small" ? 0 : size == "medium" ? 1 : size == "big" ? 2 : -1;
  if (chosen < 0)
    throw HostError("--editor takes small, medium or big (got \"" + size + "\")", 2);

  int index[3] = {-1, -1, -1};
  for (std::size_t i = 1; i < mParameters.size(); ++i)
    for (int k = 0; k < 3; ++k)
      if (PluginBundle::text(mParameters[i].name, sizeof mParameters[i].name) == names[k])
        index[k] = static_cast<int>(i);
  if (index[chosen] < 0)
    throw HostError(std::string("the effect has no parameter ") + names[chosen]);
  mEffect->setNormalized(mParameters[index[chosen]].id, 1.0);

  // The size switches ignore host value updates; the saved state is what
  // reaches them.
  std::vector<uint8_t> state = mEffect->saveChunk();
  for (int k = 0; k < 3; ++k)
  {
    if (index[k] < 0)
      continue;
    const std::size_t offset = stateOffset(index[k]);
    if (offset + sizeof(double) > state.size())
      throw HostError("the state chunk has no room for " + std::string(names[k]));
    const double v = k == chosen ? 1.0 : 0.0;
    std::memcpy(state.data() + offset, &v, sizeof v);
  }
  mEffect->restoreChunk(state);
}

std::vector<uint8_t> HostSession::readFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw HostError("cannot read " + path + ": " + std::strerror(errno));
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    throw HostError("cannot read " + path);
  return bytes;
}

void HostSession::writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
  std::ofstream out(path, std::ios::binary);
  if (out)
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (out)
    out.close();
  if (!out)
    throw HostError("cannot write " + path + ": " + std::strerror(errno));
}
