#pragma once

#include "AudioSource.h"
#include "EffectInstance.h"
#include "PluginBundle.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// What every command that runs audio asks for on its command line.
struct SessionOptions
{
  std::string bundle;
  std::string input; // empty: the demo signal
  int channels = 0;  // 0: the input's own channel count
  std::string loadState;
  std::vector<std::string> settings; // "ID=NORMALISED", applied in order
  bool bypass = false;
  std::string editorSize; // "", "small", "medium" or "big"
  // Above 0: the audio comes from elsewhere (a JACK graph) at this rate, so
  // no source is opened and `channels` must be given.
  double externalRate = 0.0;
};

// The bundle, the audio source and one effect brought up in the host's
// order: description, create, initialise, restore a chunk, value updates.
class HostSession
{
public:
  explicit HostSession(const SessionOptions& options);

  PluginBundle& bundle() { return *mBundle; }
  EffectInstance& effect() { return *mEffect; }
  // Not for sessions with an external rate, which have no source.
  AudioSource& source() { return *mSource; }
  // What reached the effect, e.g. "in.wav (2 channels, 48000 Hz) as mono".
  std::string inputLabel() const;

  // Turns the view's camera (degrees: Angle0 -90..90, Angle1 15..90, CamFov
  // 15..45). The effect ignores host updates of these parameters, as it
  // does for its editor's size; a restored state sets them as a saved
  // session would, and the plug-in hands them to its own view.
  void setCamera(double angle0, double angle1, double fov);

  // The host index of the parameter with this name; throws when there is none.
  int indexOf(const std::string& name) const;
  // The host id of the parameter with this name; throws when there is none.
  std::string idOf(const std::string& name) const { return mParameters[indexOf(name)].id; }
  // Where the parameter of this host index sits in the state chunk: one
  // float64 per plug-in parameter, host index - 1 (the bypass has none).
  static std::size_t stateOffset(int index) { return static_cast<std::size_t>(index - 1) * sizeof(double); }

  static std::vector<uint8_t> readFile(const std::string& path);
  static void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

private:
  void applySetting(const std::string& assignment);
  void selectEditorSize(const std::string& size);
  std::string findId(const std::string& idOrName);

  std::unique_ptr<PluginBundle> mBundle;
  std::unique_ptr<AudioSource> mSource;
  std::unique_ptr<EffectInstance> mEffect;
  std::vector<AcfParameterInfo> mParameters;
};
