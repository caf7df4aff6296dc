// crest-host render and show: the display check, and the picture of the
// editor (under xvfb-run).
#include "tests/host/HostProgram.h"

#include <gtest/gtest.h>

namespace
{
bool haveXvfb() { return std::system("command -v xvfb-run >/dev/null 2>&1") == 0; }

// crest-host on a display of its own. A sanitizer run's preloads are for
// crest-host, not for the X server xvfb-run starts.
const char* const kOwnDisplay = "env -u LD_PRELOAD xvfb-run -a env \"LD_PRELOAD=$LD_PRELOAD\"";

// Width and height from a PNG's IHDR chunk, or 0 x 0 when it is not a PNG.
std::pair<unsigned, unsigned> pngSize(const std::string& file)
{
  const std::string b = HostProgram::readText(file);
  if (b.size() < 24 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0)
    return {0, 0};
  auto be32 = [&](std::size_t at) {
    return (unsigned(uint8_t(b[at])) << 24) | (unsigned(uint8_t(b[at + 1])) << 16) |
           (unsigned(uint8_t(b[at + 2])) << 8) | unsigned(uint8_t(b[at + 3]));
  };
  return {be32(16), be32(20)};
}
} // namespace

TEST(HostRender, WithoutADisplayRenderAndShowSayHowToGetOne)
{
  HostProgram host;
  HostResult r = host.run("render -o pic.png", "env -u DISPLAY");
  EXPECT_EQ(r.exitCode, 2);
  ASSERT_EQ(r.errLines().size(), 1u) << r.err;
  EXPECT_EQ(r.errLines()[0], "crest-host: render needs an X display (set DISPLAY or run under xvfb-run)");
  EXPECT_FALSE(std::filesystem::exists(host.path("pic.png")));

  r = host.run("show", "env -u DISPLAY");
  EXPECT_EQ(r.exitCode, 2);
  ASSERT_EQ(r.errLines().size(), 1u) << r.err;
  EXPECT_NE(r.errLines()[0].find("needs an X display"), std::string::npos) << r.err;

  r = host.run("render -o pic.png --size 3x100", "env -u DISPLAY");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--size"), std::string::npos) << r.err;
}

TEST(HostRender, PicturesHaveTheEditorsOrTheAskedSize)
{
  ASSERT_TRUE(haveXvfb()) << "xvfb-run is not installed (scripts/setup.sh installs it)";
  HostProgram host;
  HostProgram::writeSound(host.path("in.wav"), HostProgram::makeSound(2, 44100, 44100));
  HostResult r = host.run("render in.wav -o editor.png --at 0.5", kOwnDisplay);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(host.path("editor.png")), std::string::npos) << r.out;
  EXPECT_EQ(pngSize(host.path("editor.png")), std::make_pair(800u, 555u));

  // A stored state with "MediumGUI" on brings the medium editor with it.
  const double medium[11] = {0, 50, 50, 50, 0, 15, 45, 0, 0, 1, 0};
  std::ofstream(host.path("medium.state"), std::ios::binary)
    .write(reinterpret_cast<const char*>(medium), sizeof medium);
  struct Case
  {
    const char* args;
    unsigned width, height;
  } cases[] = {{"--size 301x203", 300, 200},
               {"--editor medium", 920, 640},
               {"--editor big", 1040, 722},
               {"--load-state medium.state", 920, 640},
               {"--load-state medium.state --editor small", 800, 555}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.args);
    std::filesystem::remove(host.path("pic.png"));
    r = host.run(std::string("render -o pic.png ") + c.args, kOwnDisplay);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(pngSize(host.path("pic.png")), std::make_pair(c.width, c.height));
  }
}
