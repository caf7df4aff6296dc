// crest-host process, end to end: sound files and the demo signal through the
// built bundle, checked sample by sample.
#include "tests/host/HostProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

bool saysEqual(const HostResult& r) { return r.out.find("output equals input: yes\n") != std::string::npos; }
} // namespace

TEST(HostProcess, StereoAndMonoFilesPassUnchangedAtTheirRate)
{
  HostProgram host;
  struct Case
  {
    int channels;
    int rate;
    const char* component;
  } cases[] = {{2, 44100, "component 1"}, {1, 48000, "component 0"}, {2, 96000, "component 1"}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::to_string(c.channels) + " channels at " + std::to_string(c.rate));
    const Sound in = HostProgram::makeSound(c.channels, c.rate, 20000, c.rate);
    HostProgram::writeSound(host.path("in.wav"), in);
    const HostResult r = host.run("process in.wav -o out.wav");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(saysEqual(r)) << r.out;
    EXPECT_NE(r.out.find(c.component), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("frames: 20000 "), std::string::npos) << r.out;
    const Sound out = HostProgram::readSound(host.path("out.wav"));
    EXPECT_EQ(out.channels, c.channels);
    EXPECT_EQ(out.sampleRate, c.rate);
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_TRUE(sameBits(out.samples, in.samples));
  }
}

TEST(HostProcess, EveryBlockSizeAndSwitchKeepsTheOutputExact)
{
  HostProgram host;
  const Sound in = HostProgram::makeSound(2, 44100, 30011, 7);
  HostProgram::writeSound(host.path("in.wav"), in);
  const char* variants[] = {"--block 1", "--block 333", "--block 1024",
                            "--bypass",  "--transport", "--transport --block 64 --set 2=0.9 --set 1=1"};
  for (const char* v : variants)
  {
    SCOPED_TRACE(v);
    const HostResult r = host.run(std::string("process in.wav -o out.wav ") + v);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(saysEqual(r)) << r.out;
    EXPECT_TRUE(sameBits(HostProgram::readSound(host.path("out.wav")).samples, in.samples));
  }
  const HostResult r = host.run("process in.wav --block 1000");
  EXPECT_NE(r.out.find("in 31 blocks"), std::string::npos) << r.out;
}

TEST(HostProcess, UnusualSampleValuesComeBackBitForBit)
{
  HostProgram host;
  Sound in = HostProgram::makeSound(2, 44100, 4096, 3);
  const float specials[] = {0.0f,
                            -0.0f,
                            std::numeric_limits<float>::denorm_min(),
                            -std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::min(),
                            std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN(),
                            1e-20f,
                            123.5f};
  for (std::size_t i = 0; i < sizeof specials / sizeof specials[0]; ++i)
  {
    in.samples[100 + 2 * i] = specials[i];
    in.samples[3001 + 2 * i] = specials[i];
  }
  HostProgram::writeSound(host.path("in.wav"), in);
  const HostResult r = host.run("process in.wav -o out.wav");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(saysEqual(r)) << r.out;
  EXPECT_TRUE(sameBits(HostProgram::readSound(host.path("out.wav")).samples, in.samples));
}

TEST(HostProcess, ChannelSwitchesAdaptTheInput)
{
  HostProgram host;
  const Sound stereo = HostProgram::makeSound(2, 44100, 5000, 11);
  HostProgram::writeSound(host.path("stereo.wav"), stereo);
  HostResult r = host.run("process stereo.wav --mono -o out.wav");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(saysEqual(r)) << r.out;
  Sound out = HostProgram::readSound(host.path("out.wav"));
  ASSERT_EQ(out.channels, 1);
  ASSERT_EQ(out.frames(), 5000);
  for (long i = 0; i < out.frames(); ++i)
    ASSERT_EQ(out.samples[i], (stereo.samples[2 * i] + stereo.samples[2 * i + 1]) * 0.5f) << i;

  const Sound mono = HostProgram::makeSound(1, 44100, 5000, 12);
  HostProgram::writeSound(host.path("mono.wav"), mono);
  r = host.run("process mono.wav --stereo -o out.wav");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  out = HostProgram::readSound(host.path("out.wav"));
  ASSERT_EQ(out.channels, 2);
  for (long i = 0; i < out.frames(); ++i)
  {
    ASSERT_EQ(out.samples[2 * i], mono.samples[i]) << i;
    ASSERT_EQ(out.samples[2 * i + 1], mono.samples[i]) << i;
  }

  Sound three = HostProgram::makeSound(3, 44100, 100);
  HostProgram::writeSound(host.path("three.wav"), three);
  r = host.run("process three.wav -o out3.wav");
  EXPECT_NE(r.exitCode, 0);
  ASSERT_EQ(r.errLines().size(), 1u) << r.err;
  EXPECT_NE(r.err.find("3 channels"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(host.path("out3.wav")));
}

TEST(HostProcess, DemoSignalIsStereoMusicAndDeterministic)
{
  HostProgram host;
  HostResult r = host.run("process -o a.wav");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(saysEqual(r)) << r.out;
  r = host.run("process --block 77 -o b.wav");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(HostProgram::readText(host.path("a.wav")), HostProgram::readText(host.path("b.wav")));

  const Sound demo = HostProgram::readSound(host.path("a.wav"));
  EXPECT_EQ(demo.channels, 2);
  EXPECT_EQ(demo.sampleRate, 44100);
  EXPECT_GE(demo.frames(), 2 * 44100);
  EXPECT_LE(demo.frames(), 20 * 44100);
  double energy = 0.0;
  double difference = 0.0;
  float peak = 0.0f;
  for (long i = 0; i < demo.frames(); ++i)
  {
    const float l = demo.samples[2 * i];
    const float rr = demo.samples[2 * i + 1];
    ASSERT_TRUE(std::isfinite(l) && std::isfinite(rr)) << i;
    peak = std::max({peak, std::fabs(l), std::fabs(rr)});
    energy += l * l + rr * rr;
    difference += (l - rr) * (l - rr);
  }
  EXPECT_LE(peak, 1.0f);
  EXPECT_GT(energy / (2.0 * demo.frames()), 1e-4);
  EXPECT_GT(difference, 0.0) << "the demo should not be dual mono";
}

TEST(HostProcess, WithoutOutputNothingIsWritten)
{
  HostProgram host;
  HostProgram::writeSound(host.path("in.wav"), HostProgram::makeSound(1, 44100, 3000));
  const HostResult r = host.run("process in.wav");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(saysEqual(r)) << r.out;
  EXPECT_NE(r.out.find("real-time factor"), std::string::npos) << r.out;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(host.dir()))
  {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);
}
