// The LV2 bundle under Debian's own LV2 tools: lv2_validate finds no error
// in its Turtle, lv2info lists both plug-ins with their ports and the UI,
// and lv2apply passes mono and stereo 32-bit float files through each
// plug-in sample for sample.
#include "framework/PlugDescription.h"
#include "tests/host/HostProgram.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
HostResult Shell(const HostProgram& dir, const std::string& cmd, bool loadsBundle = false)
{
  const std::string out = dir.path(".out"), err = dir.path(".err");
  // Leaks of the tools themselves are not ours to report.
  const std::string preload = loadsBundle && *CREST_SANITIZER_PRELOAD ? "LD_PRELOAD='" CREST_SANITIZER_PRELOAD
                                                                        "' ASAN_OPTIONS=detect_leaks=0 "
                                                                      : "";
  const int status = std::system(("cd '" + dir.dir() + "' && " + preload +
                                  "LV2_PATH='" CREST_LV2_PATH ":/usr/lib/lv2' " + cmd + " >'" + out + "' 2>'" + err +
                                  "'")
                                   .c_str());
  HostResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = HostProgram::readText(out);
  r.err = HostProgram::readText(err);
  return r;
}

std::string Uri(const char* layout) { return std::string(GetPlugDescription().uri) + "#" + layout; }
} // namespace

TEST(Lv2Tools, ValidateAndInfoSeeBothPluginsTheirPortsAndTheUi)
{
  HostProgram dir;
  const HostResult v = Shell(dir, "lv2_validate '" CREST_LV2_BUNDLE_DIR "/manifest.ttl' '" CREST_LV2_BUNDLE_DIR
                                  "/QX-Crest.ttl'");
  EXPECT_EQ(v.exitCode, 0) << v.out << v.err;
  EXPECT_NE((v.out + v.err).find("Found 0 errors"), std::string::npos) << v.out << v.err;

  for (const char* layout : {"mono", "stereo"})
  {
    const HostResult info = Shell(dir, "lv2info '" + Uri(layout) + "'");
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("Class:             Analyser"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find(Uri("ui")), std::string::npos) << info.out;
    for (const char* symbol : {"enabled", "mode", "speed", "density", "scale", "angle0", "angle1", "camfov", "graph",
                               "smallgui", "mediumgui", "biggui", "transport"})
      EXPECT_NE(info.out.find(std::string("Symbol:      ") + symbol + "\n"), std::string::npos) << symbol;
    const bool stereo = std::strcmp(layout, "stereo") == 0;
    for (const char* symbol : {"in_l", "in_r", "out_l", "out_r"})
      EXPECT_EQ(info.out.find(std::string("Symbol:      ") + symbol + "\n") != std::string::npos, stereo) << symbol;
  }
}

TEST(Lv2Tools, Lv2applyPassesFilesThroughSampleForSample)
{
  HostProgram dir;
  for (int channels : {1, 2})
  {
    SCOPED_TRACE(channels);
    Sound in = HostProgram::makeSound(channels, 44100, 3 * 44100 + 123, 7 + channels);
    // Values a float path could spoil.
    in.samples[100] = -0.0f;
    in.samples[201] = 1e-41f;
    HostProgram::writeSound(dir.path("in.wav"), in);
    const HostResult r = Shell(dir, "lv2apply -i in.wav -o out.wav '" + Uri(channels == 1 ? "mono" : "stereo") + "'",
                               true);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    const Sound out = HostProgram::readSound(dir.path("out.wav"));
    ASSERT_EQ(out.channels, channels);
    ASSERT_EQ(out.frames(), in.frames());
    EXPECT_EQ(std::memcmp(out.samples.data(), in.samples.data(), in.samples.size() * sizeof(float)), 0);
  }
}
