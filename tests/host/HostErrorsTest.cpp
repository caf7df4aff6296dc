// crest-host's refusals: each is one line on stderr and a non-zero exit.
#include "tests/host/HostProgram.h"

#include <gtest/gtest.h>

namespace
{
struct Refusal
{
  const char* args;
  const char* message; // the whole stderr line after "crest-host: ", or a part of it
  bool whole;
};

void expectRefusal(const HostResult& r, const Refusal& c)
{
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(r.out.empty()) << r.out;
  const std::vector<std::string> lines = r.errLines();
  ASSERT_EQ(lines.size(), 1u) << r.err;
  const std::string expected = std::string("crest-host: ") + c.message;
  if (c.whole)
    EXPECT_EQ(lines[0], expected);
  else
    EXPECT_EQ(lines[0].rfind("crest-host: ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(c.message), std::string::npos) << lines[0];
}
} // namespace

TEST(HostErrors, BadOptionsAndValuesAreRefusedInOneLine)
{
  HostProgram host;
  HostProgram::writeSound(host.path("in.wav"), HostProgram::makeSound(2, 44100, 2000));
  const Refusal cases[] = {
    {"process in.wav --block 0", "--block must be 1 to 1024 frames (got 0)", true},
    {"process in.wav --block 1025", "--block must be 1 to 1024 frames (got 1025)", true},
    {"process in.wav --block many", "--block", false},
    {"process in.wav --set 99=0.5", "unknown parameter \"99\" (result -20001)", true},
    {"process in.wav --set Loudness=0.5", "unknown parameter \"Loudness\" (result -20001)", true},
    {"process in.wav --set 2=nan", "parameter 2 refused value nan (result -20002)", true},
    {"process in.wav --set Speed=inf", "parameter 2 refused value inf (result -20002)", true},
    {"process in.wav --set 2", "--set needs ID=NORMALISED", false},
    {"process in.wav --set 2=half", "is not a number", false},
    {"process in.wav --mono --stereo", "excludes", false},
    {"process missing.wav", "cannot read missing.wav", false},
    {"process in.wav -o no/such/folder/out.wav", "cannot write no/such/folder/out.wav", false},
    {"process in.wav --load-state missing.state", "cannot read missing.state", false},
    {"render in.wav", "--output", false},
    {"render in.wav -o x.png --fps 20", "--fps belongs to --video", true},
    {"frobnicate", "frobnicate", false},
  };
  for (const Refusal& c : cases)
  {
    SCOPED_TRACE(c.args);
    expectRefusal(host.run(c.args), c);
  }
}

TEST(HostErrors, MissingOrBrokenBundleIsNamed)
{
  HostProgram host;
  const std::string nowhere = host.path("Nowhere.bundle");
  HostResult r = host.run("describe", "", nowhere);
  expectRefusal(r, {"describe", "no bundle at ", false});
  EXPECT_NE(r.err.find(nowhere + "/Contents/Linux/"), std::string::npos) << r.err;

  // A library file that is not a shared object.
  std::filesystem::create_directories(host.path("Broken.bundle/Contents/Linux"));
  std::ofstream(host.path("Broken.bundle/Contents/Linux/Broken.so")) << "not a library";
  r = host.run("process", "", host.path("Broken.bundle"));
  expectRefusal(r, {"process", "cannot load ", false});
}
