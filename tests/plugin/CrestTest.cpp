// The plug-in object through the host interface: pass-through, what reaches
// the analysis, and the camera write-back.
#include "plugin/Crest.h"
#include "tests/support/TestHost.h"
#include "view3d/CrestRender.h"
#include "view3d/LinesRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace
{
std::vector<float> Sine(size_t n, double freq, double amp = 0.5)
{
  std::vector<float> s(n);
  for (size_t i = 0; i < n; ++i)
    s[i] = static_cast<float>(amp * std::sin(2.0 * M_PI * freq * static_cast<double>(i) / 44100.0));
  return s;
}

uint64_t Spectra(TestHost& host) { return host.Plug()->GetView()->GetFrameCount(); }

bool BitEqual(const std::vector<float>& a, const std::vector<float>& b)
{
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}
} // namespace

TEST(Crest, NewInstanceSavesItsParameterValues)
{
  TestHost host;
  const auto chunk = host.GetChunk();
  ASSERT_EQ(chunk.size(), 88u);
  EXPECT_EQ(ChunkValues(chunk), (std::vector<double>{0, 50, 50, 50, 0, 15, 45, 0, 1, 0, 0}));
  EXPECT_STREQ(host.Plug()->GetPresetName(0), "-");
  ASSERT_NE(host.Plug()->GetPresetChunk(0), nullptr);
  EXPECT_EQ(host.Plug()->GetPresetChunk(0)->Size(), 88);
  EXPECT_STREQ(host.Plug()->GetInputBusLabel(0), "main input");
  EXPECT_STREQ(host.Plug()->GetOutputBusLabel(0), "output");
}

TEST(Crest, OutputEqualsInputBitForBitWhateverTheSamples)
{
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> dist(-2.0f, 2.0f);
  for (bool stereo : {true, false})
  {
    TestHost host(stereo);
    std::vector<std::vector<float>> in(stereo ? 2 : 1, std::vector<float>(5000));
    for (auto& ch : in)
      for (float& v : ch)
        v = dist(rng);
    // Non-finite and tiny values pass through too, signalling NaNs included.
    uint32_t sNaNBits = 0x7fa00001u;
    float sNaN;
    std::memcpy(&sNaN, &sNaNBits, sizeof sNaN);
    in[0][10] = std::numeric_limits<float>::quiet_NaN();
    in[0][11] = std::numeric_limits<float>::infinity();
    in[0][12] = -std::numeric_limits<float>::infinity();
    in[0][13] = sNaN;
    in[0][14] = std::numeric_limits<float>::denorm_min();
    in[0][15] = -0.0f;
    for (int block : {1, 64, 512, 1024})
    {
      const auto out = host.Render(in, block);
      for (size_t c = 0; c < in.size(); ++c)
        EXPECT_TRUE(BitEqual(in[c], out[c])) << "stereo " << stereo << " block " << block << " channel " << c;
    }
  }
}

TEST(Crest, SpectraArriveInBurstsOfFourAfter1536Samples)
{
  TestHost host;
  const auto sound = Sine(1535, 440.0);
  host.Render({sound, sound});
  EXPECT_EQ(Spectra(host), 0u);
  const auto one = Sine(1, 440.0);
  host.Render({one, one});
  EXPECT_EQ(Spectra(host), 4u);
  const auto more = Sine(2048, 440.0);
  host.Render({more, more});
  EXPECT_EQ(Spectra(host), 8u);
}

TEST(Crest, BypassPassesAudioAndAnalysesNothing)
{
  TestHost host;
  ASSERT_EQ(host.Update("MasterBypass", 1.0), ACF_SUCCESS);
  const auto sound = Sine(8192, 1000.0);
  const auto out = host.Render({sound, sound});
  EXPECT_TRUE(BitEqual(out[0], sound));
  EXPECT_TRUE(BitEqual(out[1], sound));
  EXPECT_EQ(Spectra(host), 0u);
  ASSERT_EQ(host.Update("MasterBypass", 0.0), ACF_SUCCESS);
  host.Render({sound, sound});
  EXPECT_GT(Spectra(host), 0u);
}

TEST(Crest, OnlyTheFirstSilentBlockAfterSoundIsAnalysed)
{
  TestHost host;
  const auto sound = Sine(1536, 440.0);
  host.Render({sound, sound});
  ASSERT_EQ(Spectra(host), 4u); // 1536 samples analysed

  // The first silent block still meets the previous block's sound in the
  // output buffers; the four after it are skipped. Had they been analysed,
  // 4096 samples would have run a second cycle.
  const std::vector<float> silence(5 * 512, 0.0f);
  host.Render({silence, silence});
  EXPECT_EQ(Spectra(host), 4u);

  // 2048 analysed so far: 1536 more complete the second cycle.
  host.Render({sound, sound});
  EXPECT_EQ(Spectra(host), 8u);
}

// Non-finite samples reach the host unchanged but the analysis as zeros: a
// block of them is silence, a stray one in music is a zero sample, and the
// landscape's heights stay finite.
TEST(Crest, NonFiniteSamplesAreAnalysedAsZeros)
{
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  auto history = [](TestHost& host) {
    std::vector<double> heights;
    LinesRender* lines = host.Plug()->GetView()->GetLines();
    for (int h = 0; h < lines->GetNumHistoryLines(); ++h)
      for (const Point3D& p : lines->GetHistoryLine(h))
        heights.push_back(p.y);
    return heights;
  };
  auto withOne = [](std::vector<float> v, size_t at, float x) {
    v[at] = x;
    return v;
  };
  const auto music = Sine(4096, 440.0);
  struct Case
  {
    const char* name;
    std::vector<float> block, asZeros;
  };
  const std::vector<Case> cases = {
    {"music with one NaN", withOne(music, 700, nan), withOne(music, 700, 0.0f)},
    {"music with -inf", withOne(music, 2000, -inf), withOne(music, 2000, 0.0f)},
    {"all NaN", std::vector<float>(4096, nan), std::vector<float>(4096, 0.0f)},
    {"all +inf", std::vector<float>(4096, inf), std::vector<float>(4096, 0.0f)},
  };
  for (const Case& c : cases)
  {
    TestHost odd, plain;
    for (TestHost* host : {&odd, &plain})
      host->Render({music, music});
    const auto out = odd.Render({c.block, c.block});
    plain.Render({c.asZeros, c.asZeros});
    // Then sound again: what follows must not depend on the bad block either.
    odd.Render({music, music});
    plain.Render({music, music});

    EXPECT_TRUE(BitEqual(out[0], c.block) && BitEqual(out[1], c.block)) << c.name;
    EXPECT_EQ(Spectra(odd), Spectra(plain)) << c.name;
    const auto heights = history(odd);
    EXPECT_EQ(heights, history(plain)) << c.name;
    EXPECT_TRUE(std::all_of(heights.begin(), heights.end(), [](double y) { return std::isfinite(y); })) << c.name;
  }
}

TEST(Crest, StartingTheTransportResetsTheAnalysisOnce)
{
  TestHost host;
  const auto block = Sine(1024, 440.0);
  host.Render({block, block});
  EXPECT_EQ(Spectra(host), 0u);

  host.playing = true;
  host.Render({block, block}); // reset first: 1024 since the reset
  EXPECT_EQ(Spectra(host), 0u);
  const auto half = Sine(512, 440.0);
  host.Render({half, half}); // still playing: no second reset, 1536 now
  EXPECT_EQ(Spectra(host), 4u);
}

TEST(Crest, MonoInstanceAnalysesItsOneChannel)
{
  TestHost host(false);
  const auto sound = Sine(1536, 440.0);
  const auto out = host.Render({sound});
  EXPECT_TRUE(BitEqual(out[0], sound));
  EXPECT_EQ(Spectra(host), 4u);
}

TEST(Crest, HostChangesOfCameraGraphAndSizeParametersAreIgnored)
{
  TestHost host;
  for (const char* id : {"5", "6", "7", "8", "9", "10", "11"})
  {
    const double before = host.Normalized(id);
    EXPECT_EQ(host.Update(id, 0.77), ACF_SUCCESS) << id;
    EXPECT_DOUBLE_EQ(host.Normalized(id), before) << id;
  }
  EXPECT_EQ(host.Update("2", 0.25), ACF_SUCCESS);
  EXPECT_DOUBLE_EQ(host.Plug()->GetParam(Crest::kSpeed)->Value(), 25.0);
}

TEST(Crest, CameraWriteBackSetsTheParametersAndTellsTheHost)
{
  TestHost host;
  host.events.clear();
  host.Plug()->UpdateCameraAngles(30.0, 45.0);
  EXPECT_DOUBLE_EQ(host.Plug()->GetParam(Crest::kAngle0)->Value(), 30.0);
  EXPECT_DOUBLE_EQ(host.Plug()->GetParam(Crest::kAngle1)->Value(), 45.0);
  // The host hears it at the editor's next tick, not from inside the call.
  EXPECT_TRUE(host.events.empty());
  host.Idle();
  // Without the graph's redraw echo ("8").
  host.events.erase(
    std::remove_if(host.events.begin(), host.events.end(), [](const TestHost::Event& e) { return e.id == "8"; }),
    host.events.end());
  ASSERT_EQ(host.events.size(), 6u);
  EXPECT_EQ(host.events[0].kind, "begin");
  EXPECT_EQ(host.events[0].id, "5");
  EXPECT_EQ(host.events[1].kind, "value");
  EXPECT_NEAR(host.events[1].value, 120.0 / 180.0, 1e-12);
  EXPECT_EQ(host.events[2].kind, "end");
  EXPECT_EQ(host.events[3].id, "6");
  EXPECT_NEAR(host.events[4].value, 30.0 / 75.0, 1e-12);

  host.events.clear();
  host.Plug()->UpdateCamFov(15.0);
  EXPECT_DOUBLE_EQ(host.Plug()->GetParam(Crest::kCamFov)->Value(), 15.0);
  host.Idle();
  ASSERT_EQ(host.events.size(), 3u);
  EXPECT_EQ(host.events[1].id, "7");
  EXPECT_DOUBLE_EQ(host.events[1].value, 0.0);
}

TEST(Crest, AnotherHostSampleRateLeavesTheAnalysisAt44100)
{
  TestHost host(true, 48000.0);
  EXPECT_DOUBLE_EQ(host.Plug()->GetSampleRate(), 48000.0);
  const auto sound = Sine(1536, 440.0);
  host.Render({sound, sound});
  EXPECT_EQ(Spectra(host), 4u);
}

TEST(Crest, AFreshViewShowsWhatTheParametersSay)
{
  TestHost host;
  LinesRender* lines = host.Plug()->GetView()->GetLines();
  EXPECT_EQ(lines->GetMode(), 0);
  EXPECT_EQ(lines->GetDensity(), 40);     // 50 % between 16 and 64
  EXPECT_EQ(lines->GetSpeedDivisor(), 4); // 50 % between 8 and 1
  EXPECT_DOUBLE_EQ(lines->GetScale(), 0.5);
  EXPECT_DOUBLE_EQ(lines->GetAngle0(), 0.0);
  EXPECT_DOUBLE_EQ(lines->GetAngle1(), 15.0);
  EXPECT_DOUBLE_EQ(lines->GetCamFov(), 45.0);
  EXPECT_DOUBLE_EQ(host.Plug()->GetView()->GetSampleRate(), 44100.0);
}

TEST(Crest, ParameterChangesReachTheViewInItsUnits)
{
  TestHost host(true, 48000.0);
  CrestRender* view = host.Plug()->GetView();
  LinesRender* lines = view->GetLines();
  ASSERT_EQ(host.Update("1", 1.0), ACF_SUCCESS);
  EXPECT_EQ(lines->GetMode(), 2);
  ASSERT_EQ(host.Update("2", 1.0), ACF_SUCCESS);
  EXPECT_EQ(lines->GetSpeedDivisor(), 1);
  ASSERT_EQ(host.Update("3", 0.0), ACF_SUCCESS);
  EXPECT_EQ(lines->GetDensity(), 16);
  ASSERT_EQ(host.Update("4", 0.25), ACF_SUCCESS);
  EXPECT_DOUBLE_EQ(lines->GetScale(), 0.25);

  // Camera values come from restored state (host updates are ignored).
  ASSERT_EQ(host.SetChunk(MakeChunk({2, 100, 0, 25, -30, 60, 20, 0, 1, 0, 0})), ACF_SUCCESS);
  EXPECT_DOUBLE_EQ(view->GetAngle0(), -30.0);
  EXPECT_DOUBLE_EQ(lines->GetAngle1(), 60.0);
  EXPECT_DOUBLE_EQ(lines->GetCamFov(), 20.0);
  // The host's sample rate never reaches the view.
  EXPECT_DOUBLE_EQ(view->GetSampleRate(), 44100.0);
}
