// crest-host render --video, end to end under xvfb-run: the streams and
// frames ffprobe and ffmpeg find in the file, the sound bit for bit, the
// refusals, Ctrl-C, and the camera setting.
#include "tests/host/HostProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>

namespace
{
const char* const kOwnDisplay = "env -u LD_PRELOAD xvfb-run -a env \"LD_PRELOAD=$LD_PRELOAD\"";

bool have(const char* tool)
{
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// ffprobe's key=value lines for one stream ("v:0" or "a:0").
std::map<std::string, std::string> probe(const HostProgram& host, const std::string& file, const std::string& stream)
{
  const std::string out = host.path("probe.txt");
  const std::string cmd = "ffprobe -v error -count_frames -select_streams " + stream +
                          " -show_entries stream=codec_type,codec_name,width,height,nb_read_frames,sample_rate,"
                          "channels:format=duration -of default=noprint_wrappers=1 '" +
                          file + "' >'" + out + "' 2>&1";
  std::map<std::string, std::string> values;
  if (std::system(cmd.c_str()) != 0)
    return values;
  std::istringstream in(HostProgram::readText(out));
  for (std::string line; std::getline(in, line);)
  {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos)
      values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

// The raw bytes ffmpeg decodes from a file with the given output options.
std::string decode(const HostProgram& host, const std::string& file, const std::string& options)
{
  const std::string out = host.path("decoded.raw");
  const std::string cmd = "ffmpeg -v error -y -i '" + file + "' " + options + " '" + out + "'";
  if (std::system(cmd.c_str()) != 0)
    return {};
  return HostProgram::readText(out);
}

// Stereo 16-bit faint noise with a 30 ms tone burst (1 kHz, 0.9) at `at`
// seconds. The noise keeps the analysis running (the plug-in skips silence)
// and stays far below a visible height.
Sound clickSound(double seconds, double at)
{
  Sound s;
  s.channels = 2;
  s.sampleRate = 44100;
  s.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  const long frames = std::lround(seconds * s.sampleRate);
  const long start = std::lround(at * s.sampleRate);
  s.samples.resize(static_cast<std::size_t>(frames) * 2);
  unsigned state = 7u;
  for (long i = 0; i < frames; ++i)
  {
    state = state * 1664525u + 1013904223u;
    double v = 0.002 * (static_cast<double>(state >> 8) / 16777216.0 - 0.5);
    if (i >= start && i < start + 1323)
      v += 0.9 * std::sin(2.0 * 3.14159265358979 * 1000.0 * (i - start) / s.sampleRate);
    // Whole 16-bit steps, so that the file holds exactly these values.
    const float q = static_cast<float>(std::round(v * 32768.0) / 32768.0);
    s.samples[static_cast<std::size_t>(i) * 2] = s.samples[static_cast<std::size_t>(i) * 2 + 1] = q;
  }
  return s;
}

bool exists(const HostProgram& host, const std::string& name) { return std::filesystem::exists(host.path(name)); }
} // namespace

TEST(HostVideo, EveryFrameShowsTheLandscapeOfItsTime)
{
  ASSERT_TRUE(have("xvfb-run") && have("ffprobe") && have("ffmpeg")) << "scripts/setup.sh installs xvfb and ffmpeg";
  HostProgram host;
  HostProgram::writeSound(host.path("click.wav"), clickSound(2.0, 1.0));
  // Speed 100 %: every spectrum enters the landscape (at the default only
  // one in four does, which would add up to 46 ms to when the burst shows).
  const HostResult r = host.run("render click.wav --video click.mp4 --size 160x96 --set Scale=1 --set Speed=1",
                                kOwnDisplay);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("60 pictures, 2.000 s"), std::string::npos) << r.out;

  std::map<std::string, std::string> v = probe(host, host.path("click.mp4"), "v:0");
  EXPECT_EQ(v["codec_name"], "h264");
  EXPECT_EQ(v["width"], "160");
  EXPECT_EQ(v["height"], "96");
  EXPECT_EQ(v["nb_read_frames"], "60");
  EXPECT_NEAR(std::atof(v["duration"].c_str()), 2.0, 0.05);
  std::map<std::string, std::string> a = probe(host, host.path("click.mp4"), "a:0");
  EXPECT_EQ(a["codec_name"], "aac");
  EXPECT_EQ(a["sample_rate"], "44100");
  EXPECT_EQ(a["channels"], "2");

  // The faint noise leaves the landscape flat; the burst at 1.0 s (frame 30)
  // raises it.
  const std::string grey = decode(host, host.path("click.mp4"), "-f rawvideo -pix_fmt gray");
  const std::size_t size = 160 * 96;
  ASSERT_EQ(grey.size(), 60 * size);
  int first = -1;
  for (int k = 1; k < 60 && first < 0; ++k)
  {
    int changed = 0;
    for (std::size_t i = 0; i < size; ++i)
      changed += std::abs(int(uint8_t(grey[k * size + i])) - int(uint8_t(grey[i]))) > 48 ? 1 : 0;
    if (changed > 20)
      first = k;
  }
  EXPECT_GE(first, 29);
  EXPECT_LE(first, 31);
}

TEST(HostVideo, FlacInMatroskaCarriesTheSoundBitForBit)
{
  ASSERT_TRUE(have("xvfb-run") && have("ffmpeg")) << "scripts/setup.sh installs xvfb and ffmpeg";
  HostProgram host;
  struct Case
  {
    int format;
    const char* raw;
    double scale;
    int bytes;
    const char* range;
    long first, last; // the frames of the input the video holds
  } cases[] = {{SF_FORMAT_PCM_16, "s16le", 32768.0, 2, "", 0, 30000},
               {SF_FORMAT_PCM_24, "s32le", 2147483648.0, 4, "", 0, 30000},
               {SF_FORMAT_PCM_16, "s16le", 32768.0, 2, " --from 0.25 --to 0.5", 12000, 24000}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.raw) + c.range);
    Sound in = HostProgram::makeSound(2, 48000, 30000);
    in.format = SF_FORMAT_WAV | c.format;
    HostProgram::writeSound(host.path("in.wav"), in);
    const Sound stored = HostProgram::readSound(host.path("in.wav"));
    const HostResult r = host.run(std::string("render in.wav --video out.mkv --size 64x48 --fps 10") + c.range,
                                  kOwnDisplay);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(probe(host, host.path("out.mkv"), "a:0")["codec_name"], "flac");
    const std::string pcm = decode(host, host.path("out.mkv"), std::string("-map 0:a -f ") + c.raw);
    const std::size_t offset = static_cast<std::size_t>(c.first) * 2;
    const std::size_t count = static_cast<std::size_t>(c.last - c.first) * 2;
    ASSERT_EQ(pcm.size(), count * c.bytes);
    for (std::size_t i = 0; i < count; ++i)
    {
      int64_t decoded = 0;
      if (c.bytes == 2)
        decoded = int16_t(uint16_t(uint8_t(pcm[2 * i])) | uint16_t(uint8_t(pcm[2 * i + 1])) << 8);
      else
        decoded = int32_t(uint32_t(uint8_t(pcm[4 * i])) | uint32_t(uint8_t(pcm[4 * i + 1])) << 8 |
                          uint32_t(uint8_t(pcm[4 * i + 2])) << 16 | uint32_t(uint8_t(pcm[4 * i + 3])) << 24);
      ASSERT_EQ(decoded, std::llround(stored.samples[offset + i] * c.scale)) << "sample " << i;
    }
  }
}

TEST(HostVideo, RefusalsSayWhyAndLeaveNoFile)
{
  ASSERT_TRUE(have("xvfb-run")) << "scripts/setup.sh installs xvfb";
  HostProgram host;
  HostProgram::writeSound(host.path("in.wav"), HostProgram::makeSound(2, 44100, 44100));
  std::ofstream(host.path("broken.wav")) << "not a sound file";
  // Its header still claims the whole second; the decoder loses sync halfway.
  Sound cut = HostProgram::makeSound(2, 44100, 44100);
  cut.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  HostProgram::writeSound(host.path("cut.flac"), cut);
  std::filesystem::resize_file(host.path("cut.flac"), std::filesystem::file_size(host.path("cut.flac")) / 2);
  struct Case
  {
    const char* args;
    const char* out;
    const char* message;
  } cases[] = {
    {"missing.wav --video out.mp4", "out.mp4", "cannot read missing.wav"},
    {"broken.wav --video out.mp4", "out.mp4", "cannot read broken.wav"},
    {"cut.flac --video out.mp4", "out.mp4", "cannot read cut.flac past"},
    {"in.wav --video out.xyz", "out.xyz", "cannot tell a video format from the name out.xyz"},
    {"in.wav --video out.mp4 --codec nosuch", "out.mp4", "has no video encoder nosuch"},
    {"in.wav --video out.mp4 --size 0x720", "out.mp4", "--size takes WIDTHxHEIGHT from 4x4 to 8192x8192"},
    {"in.wav --video out.mp4 --size 8193x720", "out.mp4", "--size takes WIDTHxHEIGHT from 4x4 to 8192x8192"},
    {"in.wav --video out.mp4 --camera 0,10,45", "out.mp4", "--camera takes ANGLE0,ANGLE1,FOV"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.args);
    const HostResult r = host.run(std::string("render ") + c.args, kOwnDisplay);
    EXPECT_NE(r.exitCode, 0);
    ASSERT_EQ(r.errLines().size(), 1u) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(exists(host, c.out));
    EXPECT_FALSE(exists(host, std::string(c.out) + ".part"));
  }
}

TEST(HostVideo, InterruptedVideoKeepsWhatWasRendered)
{
  ASSERT_TRUE(have("xvfb-run") && have("ffprobe")) << "scripts/setup.sh installs xvfb and ffmpeg";
  HostProgram host;
  HostProgram::writeSound(host.path("long.wav"), HostProgram::makeSound(2, 44100, 44100 * 60));
  // Ctrl-C a second after the video has begun (a minute at 1280x720 takes
  // far longer than that); the shell inside the display knows the pid.
  // A sanitizer's preloads are for crest-host only, not the shell or Xvfb.
  const std::string script = std::string("LD_PRELOAD=\"$CREST_PRELOAD\" '") + CREST_HOST_BIN + "' --bundle '" +
                             CREST_BUNDLE_DIR +
                             "' render long.wav --video long.mp4 & p=$!; "
                             "i=0; while [ ! -s long.mp4.part ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done; "
                             "sleep 1; kill -INT $p; wait $p";
  std::string quoted;
  for (char ch : script)
    quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  const int status = std::system(("cd '" + host.dir() +
                                  "' && env -u LD_PRELOAD CREST_PRELOAD=\"$LD_PRELOAD\" xvfb-run -a sh -c '" +
                                  quoted + "' >out.txt 2>err.txt")
                                   .c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130) << HostProgram::readText(host.path("err.txt"));
  EXPECT_NE(HostProgram::readText(host.path("err.txt")).find("interrupted; long.mp4 holds the first"),
            std::string::npos);
  EXPECT_FALSE(exists(host, "long.mp4.part"));
  std::map<std::string, std::string> v = probe(host, host.path("long.mp4"), "v:0");
  const int frames = std::atoi(v["nb_read_frames"].c_str());
  EXPECT_GT(frames, 0);
  EXPECT_LT(frames, 1800);
  EXPECT_NEAR(std::atof(v["duration"].c_str()), frames / 30.0, 0.1);
}

TEST(HostVideo, CameraGoesThroughTheSavedStatesPath)
{
  ASSERT_TRUE(have("xvfb-run")) << "scripts/setup.sh installs xvfb";
  HostProgram host;
  HostProgram::writeSound(host.path("in.wav"), HostProgram::makeSound(2, 44100, 44100));
  // Angle0 40, Angle1 50, CamFov 30 in a stored state, the rest as a fresh one.
  const double turned[11] = {0, 50, 50, 50, 40, 50, 30, 0, 1, 0, 0};
  std::ofstream(host.path("turned.state"), std::ios::binary)
    .write(reinterpret_cast<const char*>(turned), sizeof turned);
  HostResult r = host.run("render in.wav -o plain.png --size 160x96 --at 0.8", kOwnDisplay);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = host.run("render in.wav -o camera.png --size 160x96 --at 0.8 --camera 40,50,30", kOwnDisplay);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = host.run("render in.wav -o state.png --size 160x96 --at 0.8 --load-state turned.state", kOwnDisplay);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string camera = HostProgram::readText(host.path("camera.png"));
  EXPECT_EQ(camera, HostProgram::readText(host.path("state.png")));
  EXPECT_NE(camera, HostProgram::readText(host.path("plain.png")));
}
