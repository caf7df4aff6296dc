// Runs the built crest-host against the built bundle inside a scratch
// folder, and reads and writes the sound files it works on.
#pragma once

#include <sndfile.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

struct HostResult
{
  int exitCode = -1;
  std::string out;
  std::string err;

  std::vector<std::string> errLines() const
  {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }
};

struct Sound
{
  int channels = 0;
  int sampleRate = 0;
  int format = 0;
  std::vector<float> samples; // interleaved

  long frames() const { return channels ? static_cast<long>(samples.size()) / channels : 0; }
};

class HostProgram
{
public:
  HostProgram()
  {
    char pattern[] = "/tmp/crest-host-test-XXXXXX";
    if (!mkdtemp(pattern))
      throw std::runtime_error("mkdtemp failed");
    mDir = pattern;
  }

  ~HostProgram()
  {
    std::error_code ec;
    std::filesystem::remove_all(mDir, ec);
  }

  HostProgram(const HostProgram&) = delete;
  HostProgram& operator=(const HostProgram&) = delete;

  std::string path(const std::string& name) const { return mDir + "/" + name; }
  const std::string& dir() const { return mDir; }

  // `args` follow the program and the --bundle option; `prefix` goes before
  // them (an environment change, xvfb-run).
  HostResult run(const std::string& args, const std::string& prefix = "",
                 const std::string& bundle = CREST_BUNDLE_DIR) const
  {
    const std::string out = path(".stdout");
    const std::string err = path(".stderr");
    const std::string cmd = "cd '" + mDir + "' && " + prefix + " '" + CREST_HOST_BIN + "' --bundle '" + bundle +
                            "' " + args + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(cmd.c_str());
    HostResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readText(out);
    r.err = readText(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
  }

  static std::string readText(const std::string& file)
  {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  static void writeSound(const std::string& file, const Sound& s)
  {
    SF_INFO info{};
    info.channels = s.channels;
    info.samplerate = s.sampleRate;
    info.format = s.format ? s.format : (SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!f)
      throw std::runtime_error("cannot write " + file + ": " + sf_strerror(nullptr));
    const sf_count_t frames = s.frames();
    const sf_count_t written = sf_writef_float(f, s.samples.data(), frames);
    sf_close(f);
    if (written != frames)
      throw std::runtime_error("short write to " + file);
  }

  static Sound readSound(const std::string& file)
  {
    SF_INFO info{};
    SNDFILE* f = sf_open(file.c_str(), SFM_READ, &info);
    if (!f)
      throw std::runtime_error("cannot read " + file + ": " + sf_strerror(nullptr));
    Sound s;
    s.channels = info.channels;
    s.sampleRate = info.samplerate;
    s.format = info.format;
    s.samples.resize(static_cast<std::size_t>(info.frames) * info.channels);
    const sf_count_t got = sf_readf_float(f, s.samples.data(), info.frames);
    sf_close(f);
    if (got != info.frames)
      throw std::runtime_error("short read from " + file);
    return s;
  }

  // A deterministic test sound: sines of different pitch per channel plus noise.
  static Sound makeSound(int channels, int sampleRate, long frames, unsigned seed = 1)
  {
    Sound s;
    s.channels = channels;
    s.sampleRate = sampleRate;
    s.samples.resize(static_cast<std::size_t>(frames) * channels);
    unsigned state = seed * 2654435761u + 1u;
    for (long i = 0; i < frames; ++i)
      for (int c = 0; c < channels; ++c)
      {
        state = state * 1664525u + 1013904223u;
        const double noise = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
        const double tone = std::sin(2.0 * 3.14159265358979 * (220.0 * (c + 1)) * i / sampleRate);
        s.samples[static_cast<std::size_t>(i) * channels + c] = static_cast<float>(0.5 * tone + 0.2 * noise);
      }
    return s;
  }

private:
  std::string mDir;
};
