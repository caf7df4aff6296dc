// crest-host's chunk handling: --save-state writes the effect's chunk data,
// --load-state restores it before the --set updates.
#include "tests/host/HostProgram.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
std::vector<double> readState(const std::string& file)
{
  const std::string bytes = HostProgram::readText(file);
  std::vector<double> values(bytes.size() / sizeof(double));
  std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
  return values;
}

void writeState(const std::string& file, const std::vector<double>& values)
{
  std::ofstream(file, std::ios::binary)
    .write(reinterpret_cast<const char*>(values.data()),
           static_cast<std::streamsize>(values.size() * sizeof(double)));
}

const std::vector<double> kFresh = {0, 50, 50, 50, 0, 15, 45, 0, 1, 0, 0};
} // namespace

TEST(HostState, SavedStateFollowsHostUpdatesButNotIgnoredOnes)
{
  HostProgram host;
  HostResult r = host.run("process --save-state fresh.state");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("(88 bytes)"), std::string::npos) << r.out;
  EXPECT_EQ(readState(host.path("fresh.state")), kFresh);

  // Mode and Speed follow the host; Angle0 ("5") and MediumGUI ("10") ignore it.
  r = host.run("process --set 1=1 --set Speed=0.25 --set 5=1 --set 10=1 --save-state set.state");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<double> expected = kFresh;
  expected[0] = 2;
  expected[1] = 25;
  EXPECT_EQ(readState(host.path("set.state")), expected);
  // Each ignored update is named in a warning; the taken ones are not.
  const std::vector<std::string> lines = r.errLines();
  ASSERT_EQ(lines.size(), 2u) << r.err;
  EXPECT_EQ(lines[0].rfind("crest-host: warning: the effect ignores host updates of 5 (--set 5=1)", 0), 0u) << r.err;
  EXPECT_NE(lines[0].find("--camera"), std::string::npos) << r.err;
  EXPECT_EQ(lines[1].rfind("crest-host: warning: the effect ignores host updates of 10 (--set 10=1)", 0), 0u)
    << r.err;
}

TEST(HostState, LoadedStateComesBackAndUpdatesApplyAfterIt)
{
  HostProgram host;
  const std::vector<double> stored = {1, 25, 75, 10, 30, 60, 20, 0, 1, 0, 0};
  writeState(host.path("in.state"), stored);
  HostResult r = host.run("process --load-state in.state --save-state out.state");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readState(host.path("out.state")), stored);

  r = host.run("process --load-state in.state --set 3=0.5 --save-state out2.state");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<double> expected = stored;
  expected[2] = 50;
  EXPECT_EQ(readState(host.path("out2.state")), expected);

  // A short chunk: the first value without 8 bytes becomes 0 clamped into range.
  writeState(host.path("short.state"), {2, 40, 60, 70, 10});
  r = host.run("process --load-state short.state --save-state out3.state");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  expected = {2, 40, 60, 70, 10, 15, 45, 0, 1, 0, 0};
  EXPECT_EQ(readState(host.path("out3.state")), expected);
}
