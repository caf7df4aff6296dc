// The audio-thread measuring programs: their camera drags, made of X events,
// must land on the graph and turn the camera, and the state read-backs of
// crest-host's second host thread must match, or the counts they report
// would measure an idle editor.
#include "tests/host/HostProgram.h"

#include <gtest/gtest.h>

#include <regex>

namespace
{
// A program on a display of its own; a sanitizer run's preloads are for the
// program, not for the X server.
std::string onOwnDisplay(const std::string& command)
{
  return "env -u LD_PRELOAD xvfb-run -a env \"LD_PRELOAD=$LD_PRELOAD\" " + command;
}

// "camera drags: N, turned the camera: M" -> {N, M}; {-1, -1} when absent.
std::pair<int, int> drags(const std::string& out)
{
  std::smatch m;
  if (!std::regex_search(out, m, std::regex("camera drags: (\\d+), turned the camera: (\\d+)")))
    return {-1, -1};
  return {std::stoi(m[1]), std::stoi(m[2])};
}
} // namespace

TEST(HostLatency, DragsTurnTheCameraAndStateReadBacksMatch)
{
  HostProgram host;
  HostResult r = host.run("latency --seconds 4 --block 256 --state-churn --drag", onOwnDisplay(""));
  const auto [made, turned] = drags(r.out);
  EXPECT_GE(made, 1) << r.out << r.err;
  EXPECT_EQ(turned, made) << r.out;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.out, m, std::regex("state restores: (\\d+), read-back differed: (\\d+)"))) << r.out;
  EXPECT_GE(std::stoi(m[1]), 5);
  EXPECT_EQ(std::stoi(m[2]), 0);
  EXPECT_NE(r.out.find("summary: calls="), std::string::npos) << r.out;

  r = host.run("latency --no-editor --drag");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--drag needs the editor"), std::string::npos) << r.err;
}

TEST(HostLatency, Lv2HarnessDragsTurnTheCamera)
{
  HostProgram host;
  const std::string log = host.path("lv2.out");
  const int status = std::system(
    (onOwnDisplay(std::string("'") + CREST_LV2_LATENCY_BIN + "' --seconds 4 --block 256 --drag") + " >'" + log +
     "' 2>&1")
      .c_str());
  const std::string text = HostProgram::readText(log);
  EXPECT_TRUE(WIFEXITED(status)) << text;
  const auto [made, turned] = drags(text);
  EXPECT_GE(made, 1) << text;
  EXPECT_EQ(turned, made) << text;
  EXPECT_NE(text.find("summary: calls="), std::string::npos) << text;
}
