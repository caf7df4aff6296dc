// The host's sound files: float WAV written and read back exactly, other
// formats read as floats, failures named.
#include "host/AudioFile.h"
#include "host/HostError.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <unistd.h>
#include <vector>

namespace
{
std::string scratch(const char* name) { return "/tmp/crest-audiofile-" + std::to_string(getpid()) + "-" + name; }
} // namespace

TEST(AudioFile, FloatWavRoundTripKeepsEveryBitAndRewinds)
{
  const std::string path = scratch("round.wav");
  std::vector<float> frames;
  for (int i = 0; i < 3000; ++i)
    frames.push_back(static_cast<float>(std::sin(i * 0.01) * (i % 3)));
  frames[5] = std::numeric_limits<float>::quiet_NaN();
  frames[6] = -std::numeric_limits<float>::infinity();
  frames[7] = std::numeric_limits<float>::denorm_min();
  frames[8] = -0.0f;
  frames[9] = 17.25f;

  auto out = AudioFile::createFloatWav(path, 48000.0, 3);
  out->write(frames.data(), 600);
  out->write(frames.data() + 1800, 400);
  EXPECT_EQ(out->frames(), 1000);
  out->close();

  auto in = AudioFile::openForReading(path);
  EXPECT_EQ(in->channels(), 3);
  EXPECT_EQ(in->sampleRate(), 48000.0);
  ASSERT_EQ(in->frames(), 1000);
  EXPECT_EQ(in->label(), path);
  std::vector<float> back(3000, 1.0f);
  EXPECT_EQ(in->read(back.data(), 700), 700);
  EXPECT_EQ(in->read(back.data() + 2100, 700), 300);
  float spare[30];
  EXPECT_EQ(in->read(spare, 10), 0);
  for (std::size_t i = 0; i < frames.size(); ++i)
    ASSERT_EQ(std::memcmp(&back[i], &frames[i], sizeof(float)), 0) << i << ": " << back[i] << " for " << frames[i];

  ASSERT_TRUE(in->rewind());
  float first[3];
  ASSERT_EQ(in->read(first, 1), 1);
  EXPECT_EQ(std::memcmp(first, frames.data(), sizeof first), 0);

  // Equal audio gives equal files (no time-stamped chunks).
  const std::string again = scratch("again.wav");
  auto out2 = AudioFile::createFloatWav(again, 48000.0, 3);
  out2->write(frames.data(), 600);
  out2->write(frames.data() + 1800, 400);
  out2->close();
  FILE* a = std::fopen(path.c_str(), "rb");
  FILE* b = std::fopen(again.c_str(), "rb");
  ASSERT_TRUE(a && b);
  std::vector<char> ba(100000), bb(100000);
  const std::size_t na = std::fread(ba.data(), 1, ba.size(), a);
  const std::size_t nb = std::fread(bb.data(), 1, bb.size(), b);
  std::fclose(a);
  std::fclose(b);
  EXPECT_EQ(na, nb);
  EXPECT_EQ(std::memcmp(ba.data(), bb.data(), na), 0);
  std::remove(path.c_str());
  std::remove(again.c_str());
}

TEST(AudioFile, IntegerFilesReadAsScaledFloats)
{
  const std::string path = scratch("pcm16.wav");
  SF_INFO info{};
  info.channels = 1;
  info.samplerate = 22050;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr);
  const short pcm[4] = {0, 16384, -32768, 32767};
  ASSERT_EQ(sf_writef_short(f, pcm, 4), 4);
  sf_close(f);

  auto in = AudioFile::openForReading(path);
  EXPECT_EQ(in->sampleRate(), 22050.0);
  float v[4];
  ASSERT_EQ(in->read(v, 4), 4);
  EXPECT_EQ(v[0], 0.0f);
  EXPECT_EQ(v[1], 0.5f);
  EXPECT_EQ(v[2], -1.0f);
  EXPECT_NEAR(v[3], 32767.0f / 32768.0f, 1e-7);
  std::remove(path.c_str());
}

TEST(AudioFile, FailuresNameTheFile)
{
  try
  {
    AudioFile::openForReading("/nonexistent/crest.wav");
    FAIL() << "opened a missing file";
  }
  catch (const HostError& e)
  {
    EXPECT_NE(std::string(e.what()).find("cannot read /nonexistent/crest.wav"), std::string::npos);
    EXPECT_NE(e.exitCode(), 0);
  }

  const std::string text = scratch("text.wav");
  std::FILE* t = std::fopen(text.c_str(), "w");
  ASSERT_NE(t, nullptr);
  std::fputs("this is not a sound file at all", t);
  std::fclose(t);
  EXPECT_THROW(AudioFile::openForReading(text), HostError);
  std::remove(text.c_str());

  EXPECT_THROW(AudioFile::createFloatWav("/nonexistent/out.wav", 44100.0, 2), HostError);
}
