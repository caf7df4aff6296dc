#include "dsp/CrestProcess.h"
#include "dsp/FftProcessObj14.h"
#include "dsp/ProcessObjChannel.h"
#include "dsp/Window.h"
#include "view3d/CrestRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{
constexpr double kPi = 3.14159265358979323846;
using Buffers = std::vector<WDL_TypedBuf<double>>;

// The view behind the sink, as the plug-in feeds it.
class RecordingView : public CrestRender, public SpectrumSink
{
public:
  RecordingView() : CrestRender(nullptr, nullptr, 44100.0) {}
  void AddMagns(const WDL_TypedBuf<double>& magns) override
  {
    CrestRender::AddMagns(magns);
    frames.emplace_back(magns.begin(), magns.end());
  }
  std::vector<std::vector<double>> frames;
};

// The chain as the plug-in builds it.
struct Chain
{
  explicit Chain(int oversampling = 1) : capture(2048, 4.0, oversampling, 44100.0)
  {
    FftProcessObj14::Init();
    capture.SetView(&view);
    fft = std::make_unique<FftProcessObj14>(std::vector<ProcessObj*>{&capture}, 1, 0, 2048, 4, oversampling, 44100.0);
    fft->SetAnalysisWindow(-1, kWindowHann);
    fft->SetSynthesisWindow(-1, kWindowHann);
    fft->SetKeepSynthesisEnergy(-1, false);
  }

  // takeOutput false analyses only, as the plug-in does.
  void Feed(const std::vector<double>& x, int block = 512, bool takeOutput = true)
  {
    Buffers in(1);
    Buffers none;
    Buffers out(1);
    for (size_t i = 0; i + static_cast<size_t>(block) <= x.size(); i += static_cast<size_t>(block))
    {
      in[0].CopyFrom(x.data() + i, block);
      out[0].Resize(block);
      fft->Process(in, none, takeOutput ? &out : nullptr);
    }
  }

  RecordingView view;
  CrestProcess capture;
  std::unique_ptr<FftProcessObj14> fft;
};

std::vector<double> Sine(int n, double cyclesPerSample, double amplitude)
{
  std::vector<double> x(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    x[static_cast<size_t>(i)] = amplitude * std::sin(2.0 * kPi * cyclesPerSample * i);
  return x;
}
} // namespace

TEST(CrestProcess, SineCentredOnABinGivesAQuarterOfItsAmplitude)
{
  Chain chain;
  chain.Feed(Sine(2048 * 4, 100.0 / 2048, 1.0));
  // Frames from the third cycle on lie wholly inside the signal.
  ASSERT_GE(chain.view.frames.size(), 12u);
  const std::vector<double>& m = chain.view.frames.back();
  ASSERT_EQ(m.size(), 1024u);
  EXPECT_NEAR(m[100], 0.25, 1e-3);
  EXPECT_NEAR(m[99], 0.125, 1e-3);
  EXPECT_NEAR(m[101], 0.125, 1e-3);
  EXPECT_LT(m[103], 1e-3);
  EXPECT_LT(m[500], 1e-3);
}

TEST(CrestProcess, SkippingTheResynthesisLeavesTheSpectraIdentical)
{
  std::vector<double> x(2048 * 12);
  unsigned seed = 12345u;
  for (double& v : x)
  {
    seed = seed * 1103515245u + 12345u;
    v = static_cast<double>(seed >> 8) / static_cast<double>(1u << 24) - 0.5;
  }
  for (int block : {512, 333})
  {
    Chain full;
    Chain analysisOnly;
    full.Feed(x, block, true);
    analysisOnly.Feed(x, block, false);
    ASSERT_GE(full.view.frames.size(), 40u);
    EXPECT_EQ(analysisOnly.view.frames, full.view.frames) << "block " << block;
    EXPECT_EQ(analysisOnly.fft->GetChannel(0)->GetOutputSampleCount(), 0);
    EXPECT_GT(full.fft->GetChannel(0)->GetOutputSampleCount(), 0);
  }
}

TEST(CrestProcess, ConstantInputGivesHalfAtBinZero)
{
  Chain chain;
  chain.Feed(std::vector<double>(2048 * 4, 1.0));
  const std::vector<double>& m = chain.view.frames.back();
  ASSERT_EQ(m.size(), 1024u);
  EXPECT_NEAR(m[0], 0.5, 1e-3);
  EXPECT_NEAR(m[1], 0.25, 1e-3);
  for (size_t k = 2; k < m.size(); ++k)
    ASSERT_LT(m[k], 1e-3) << k;
}

TEST(CrestProcess, SpectraArriveInBurstsOfFour)
{
  Chain chain;
  std::vector<double> x(1535, 0.25);
  chain.Feed(x, 1535);
  EXPECT_EQ(chain.view.GetFrameCount(), 0u);
  chain.Feed(std::vector<double>(1, 0.25), 1);
  EXPECT_EQ(chain.view.GetFrameCount(), 4u);
  chain.Feed(std::vector<double>(2048, 0.25), 512);
  EXPECT_EQ(chain.view.GetFrameCount(), 8u);
}

TEST(CrestProcess, OversamplingTwoGives2048Magnitudes)
{
  Chain chain(2);
  chain.Feed(Sine(2048 * 4, 100.0 / 2048, 1.0));
  ASSERT_FALSE(chain.view.frames.empty());
  const std::vector<double>& m = chain.view.frames.back();
  ASSERT_EQ(m.size(), 2048u);
  // Twice the bins over the same range: the sine sits at bin 200.
  EXPECT_NEAR(m[200], 0.25, 1e-3);
}

TEST(CrestProcess, SilenceIsDeliveredAsZeroMagnitudes)
{
  Chain chain;
  chain.Feed(std::vector<double>(2048, 0.0));
  ASSERT_EQ(chain.view.frames.size(), 4u);
  for (const auto& m : chain.view.frames)
  {
    ASSERT_EQ(m.size(), 1024u);
    for (double v : m)
      ASSERT_EQ(v, 0.0);
  }
}

TEST(CrestProcess, WithoutAViewFramesAreStillAnalysed)
{
  Chain chain;
  chain.capture.SetView(nullptr);
  EXPECT_EQ(chain.capture.GetView(), nullptr);
  chain.Feed(Sine(2048 * 2, 0.01, 0.5));
  EXPECT_EQ(chain.view.GetFrameCount(), 0u);
  chain.capture.SetView(&chain.view);
  chain.Feed(std::vector<double>(2048, 0.1));
  EXPECT_EQ(chain.view.GetFrameCount(), 4u);
}

TEST(CrestProcess, MagnitudesOfTheLowerHalfAndTheSpectrumIsUntouched)
{
  CrestProcess capture(8, 4.0, 1.0, 44100.0);
  RecordingView view;
  capture.SetView(&view);
  WDL_TypedBuf<FftComplex> spectrum(8);
  spectrum[0] = {3.0, 4.0};
  spectrum[1] = {0.0, -1.0};
  spectrum[3] = {-2.0, 0.0};
  spectrum[4] = {9.0, 9.0}; // Nyquist: dropped
  capture.ProcessFftBuffer(&spectrum, nullptr);
  ASSERT_EQ(view.frames.size(), 1u);
  EXPECT_EQ(view.frames[0], (std::vector<double>{5.0, 1.0, 0.0, 2.0}));
  ASSERT_EQ(spectrum.GetSize(), 8);
  EXPECT_EQ(spectrum[0].re, 3.0);
  EXPECT_EQ(spectrum[4].im, 9.0);

  capture.ProcessFftBuffer(nullptr, nullptr);
  EXPECT_EQ(view.frames.size(), 1u);
}

TEST(CrestProcess, ResetKeepsItsOwnSettingsAndLeavesTheBaseAlone)
{
  CrestProcess capture(2048, 4.0, 1.0, 44100.0);
  capture.SetTrackIO(16, true, false, 1.0);
  WDL_TypedBuf<double> frame(16);
  frame[15] = 2.0;
  capture.PreProcessSamplesBuffer(&frame, nullptr);

  capture.Reset(8, 2, 48000.0);
  EXPECT_EQ(capture.GetCaptureOverlapping(), 8.0);
  EXPECT_EQ(capture.GetCaptureOversampling(), 2.0);
  EXPECT_EQ(capture.GetCaptureSampleRate(), 48000.0);
  capture.Reset();
  EXPECT_EQ(capture.GetCaptureOverlapping(), 8.0);
  EXPECT_EQ(capture.GetCaptureSampleRate(), 48000.0);

  // The base's settings and trace are not reset.
  EXPECT_EQ(capture.GetOverlapping(), 1);
  WDL_TypedBuf<double> trace;
  capture.GetCurrentInput(&trace);
  ASSERT_EQ(trace.GetSize(), 16);
  EXPECT_EQ(trace[15], 2.0);
}

TEST(CrestProcess, NonFiniteSamplesPassWithoutHarm)
{
  Chain chain;
  std::vector<double> x = Sine(2048 * 2, 0.01, 0.5);
  x[700] = std::nan("");
  x[900] = INFINITY;
  chain.Feed(x);
  ASSERT_EQ(chain.view.frames.size(), 8u);
  // Only the frames that hold a bad sample lose their spectrum: the second
  // frame ends at sample 511, the third holds sample 700.
  for (double v : chain.view.frames[1])
    ASSERT_TRUE(std::isfinite(v));
  EXPECT_TRUE(std::isnan(chain.view.frames[2][0]));

  // Once the bad samples have left the frames, spectra are clean again.
  chain.Feed(Sine(2048 * 3, 0.01, 0.5));
  for (double v : chain.view.frames.back())
    ASSERT_TRUE(std::isfinite(v));
}
