#include "dsp/FftProcessObj14.h"
#include "dsp/ProcessObj.h"
#include "dsp/ProcessObjChannel.h"
#include "dsp/Window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace
{
using Buffers = std::vector<WDL_TypedBuf<double>>;

std::vector<double> Values(const WDL_TypedBuf<double>& buf) { return std::vector<double>(buf.begin(), buf.end()); }

std::vector<double> Noise(int n, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> x(static_cast<size_t>(n));
  for (double& v : x)
    v = dist(rng);
  return x;
}

// Logs every hook call: the stage number, the buffer and the side-chain
// pointer. A shared log records the order across several objects.
class RecordingObj : public ProcessObj
{
public:
  RecordingObj(int bufferSize, std::string* sharedLog = nullptr, char id = 'm')
    : ProcessObj(bufferSize), mSharedLog(sharedLog), mId(id)
  {
  }

  void Reset(int overlapping, int oversampling, double sampleRate) override
  {
    resetArgs.push_back({overlapping, oversampling, sampleRate});
    ProcessObj::Reset(overlapping, oversampling, sampleRate);
  }
  using ProcessObj::Reset;

  void PreProcessSamplesBuffer(WDL_TypedBuf<double>* io, WDL_TypedBuf<double>* sc) override
  {
    Log('1');
    raw.push_back(Values(*io));
    rawSc.push_back(sc);
    if (sc)
      rawScValues.push_back(Values(*sc));
    ProcessObj::PreProcessSamplesBuffer(io, sc);
  }
  void ProcessSamplesBuffer(WDL_TypedBuf<double>* io, WDL_TypedBuf<double>*) override
  {
    Log('2');
    windowed.push_back(Values(*io));
  }
  void ProcessFftBuffer(WDL_TypedBuf<FftComplex>* io, WDL_TypedBuf<FftComplex>*) override
  {
    Log('3');
    fftSizes.push_back(io->GetSize());
    for (FftComplex& c : *io)
    {
      c.re *= spectrumGain;
      c.im *= spectrumGain;
    }
  }
  void ProcessIfftBuffer(WDL_TypedBuf<double>* io, WDL_TypedBuf<double>*) override
  {
    Log('4');
    ifftSizes.push_back(io->GetSize());
  }
  void ProcessResynthBuffer(WDL_TypedBuf<double>* io, WDL_TypedBuf<double>* sc) override
  {
    Log('5');
    ProcessObj::ProcessResynthBuffer(io, sc);
  }
  void PostProcessSamplesBuffer(WDL_TypedBuf<double>* io, WDL_TypedBuf<double>*) override
  {
    Log('6');
    post.push_back(Values(*io));
  }

  struct ResetArgs
  {
    int overlapping;
    int oversampling;
    double sampleRate;
  };
  std::vector<ResetArgs> resetArgs;
  std::vector<std::vector<double>> raw;
  std::vector<WDL_TypedBuf<double>*> rawSc;
  std::vector<std::vector<double>> rawScValues;
  std::vector<std::vector<double>> windowed;
  std::vector<std::vector<double>> post;
  std::vector<int> fftSizes;
  std::vector<int> ifftSizes;
  std::string log;
  double spectrumGain = 1.0;

private:
  void Log(char stage)
  {
    log += stage;
    if (mSharedLog)
    {
      *mSharedLog += mId;
      *mSharedLog += stage;
    }
  }
  std::string* mSharedLog;
  char mId;
};

// Feeds one channel block by block and collects what comes out.
class Feeder
{
public:
  explicit Feeder(FftProcessObj14& fft) : mFft(fft), mIn(1), mOut(1) {}

  bool Block(const double* x, int n)
  {
    mIn[0].CopyFrom(x, n);
    mOut[0].Resize(n);
    for (double& v : mOut[0])
      v = 99.0;
    const bool ok = mFft.Process(mIn, mNoSideChain, &mOut);
    if (ok)
      output.insert(output.end(), mOut[0].begin(), mOut[0].end());
    last = Values(mOut[0]);
    return ok;
  }

  // The whole signal in blocks of n; returns the number of failed calls
  // before the first success.
  int Run(const std::vector<double>& x, int n)
  {
    int failures = -1;
    int calls = 0;
    for (size_t i = 0; i + static_cast<size_t>(n) <= x.size(); i += static_cast<size_t>(n))
    {
      const bool ok = Block(x.data() + i, n);
      if (ok && failures < 0)
        failures = calls;
      ++calls;
    }
    return failures;
  }

  std::vector<double> output;
  std::vector<double> last;

private:
  FftProcessObj14& mFft;
  Buffers mIn;
  Buffers mOut;
  Buffers mNoSideChain;
};

double MaxDifference(const std::vector<double>& out, const std::vector<double>& in)
{
  double worst = 0.0;
  for (size_t i = 0; i < out.size() && i < in.size(); ++i)
    worst = std::max(worst, std::fabs(out[i] - in[i]));
  return worst;
}

// The plug-in's configuration: 2048-sample frames, 4 per frame length, Hann
// analysis and synthesis.
std::unique_ptr<FftProcessObj14> MakeCrestLike(ProcessObj* obj, int oversampling = 1)
{
  FftProcessObj14::Init();
  std::vector<ProcessObj*> objs;
  if (obj)
    objs.push_back(obj);
  auto fft = std::make_unique<FftProcessObj14>(objs, 1, 0, 2048, 4, oversampling, 44100.0);
  fft->SetAnalysisWindow(-1, kWindowHann);
  fft->SetSynthesisWindow(-1, kWindowHann);
  fft->SetKeepSynthesisEnergy(-1, false);
  return fft;
}
} // namespace

TEST(FftProcessObj14, ConstructionStoresSettingsAndResetsEachChannel)
{
  RecordingObj a(2048);
  RecordingObj b(2048);
  FftProcessObj14 fft({&a, &b}, 3, 0, 2048, 4, 1, 48000.0);
  EXPECT_EQ(fft.GetBufferSize(), 2048);
  EXPECT_EQ(fft.GetOverlapping(), 4);
  EXPECT_EQ(fft.GetOversampling(), 1);
  EXPECT_EQ(fft.GetSampleRate(), 48000.0);
  ASSERT_EQ(fft.GetNumChannels(), 3);
  EXPECT_EQ(fft.GetChannel(0)->GetProcessObj(), &a);
  EXPECT_EQ(fft.GetChannel(1)->GetProcessObj(), &b);
  EXPECT_EQ(fft.GetChannel(2)->GetProcessObj(), nullptr);
  EXPECT_EQ(fft.GetChannel(3), nullptr);
  ASSERT_EQ(a.resetArgs.size(), 1u);
  EXPECT_EQ(a.resetArgs[0].overlapping, 4);
  EXPECT_EQ(a.resetArgs[0].oversampling, 1);
  EXPECT_EQ(a.resetArgs[0].sampleRate, 48000.0);
  EXPECT_EQ(fft.GetChannel(0)->GetShift(), 512);
  EXPECT_EQ(fft.GetChannel(0)->GetAnalysisWindow().GetSize(), 2048);

  fft.Reset(8, 2, 96000.0);
  EXPECT_EQ(fft.GetOverlapping(), 8);
  EXPECT_EQ(fft.GetOversampling(), 2);
  EXPECT_EQ(fft.GetChannel(1)->GetShift(), 256);
  ASSERT_EQ(b.resetArgs.size(), 2u);
  EXPECT_EQ(b.resetArgs[1].overlapping, 8);
  EXPECT_EQ(b.resetArgs[1].sampleRate, 96000.0);

  // Invalid settings are ignored, the reset still happens.
  fft.Reset(0, -2, 0.0);
  EXPECT_EQ(fft.GetOverlapping(), 8);
  EXPECT_EQ(fft.GetOversampling(), 2);
  ASSERT_EQ(a.resetArgs.size(), 3u);
  EXPECT_EQ(a.resetArgs[2].overlapping, 8);
}

TEST(FftProcessObj14, BlocksOf512AreDelayedBySixCalls)
{
  auto fft = MakeCrestLike(nullptr);
  Feeder feeder(*fft);
  const std::vector<double> x = Noise(512 * 12, 1u);
  for (int call = 0; call < 6; ++call)
  {
    EXPECT_FALSE(feeder.Block(x.data() + 512 * call, 512)) << "call " << call;
    // A refused take leaves zeros of the block's length.
    ASSERT_EQ(feeder.last.size(), 512u);
    for (double v : feeder.last)
      ASSERT_EQ(v, 0.0);
    // One cycle has run from the third call on, but output is refused
    // until two have: even an empty take fails.
    Buffers empty(1);
    EXPECT_FALSE(fft->GetOutputSamples(&empty, 0)) << "call " << call;
  }
  ASSERT_TRUE(feeder.Block(x.data() + 512 * 6, 512));
  // Output sample k is the resynthesis of input sample k; the Hann pair
  // overlap-adds to 1 within 3e-5.
  ASSERT_EQ(feeder.output.size(), 512u);
  EXPECT_LT(MaxDifference(feeder.output, x), 1e-4);

  for (int call = 7; call < 12; ++call)
    ASSERT_TRUE(feeder.Block(x.data() + 512 * call, 512));
  ASSERT_EQ(feeder.output.size(), 512u * 6);
  EXPECT_LT(MaxDifference(feeder.output, x), 1e-4);
}

TEST(FftProcessObj14, ResynthesisFollowsOtherBlockSizesAndAResetMidStream)
{
  auto fft = MakeCrestLike(nullptr);
  Feeder feeder(*fft);
  const std::vector<double> x = Noise(300 * 40, 2u);
  EXPECT_GE(feeder.Run(x, 300), 1);
  EXPECT_GT(feeder.output.size(), 6000u);
  EXPECT_LT(MaxDifference(feeder.output, x), 1e-4);

  // After a reset the delay starts again and no old signal leaks out.
  fft->Reset();
  Feeder again(*fft);
  const std::vector<double> y = Noise(512 * 12, 3u);
  EXPECT_EQ(again.Run(y, 512), 6);
  EXPECT_LT(MaxDifference(again.output, y), 1e-4);
}

TEST(FftProcessObj14, FrameLoopFirstRunsAt1536Samples)
{
  RecordingObj obj(2048);
  auto fft = MakeCrestLike(&obj);
  Feeder feeder(*fft);
  std::vector<double> x(1536);
  for (int i = 0; i < 1536; ++i)
    x[static_cast<size_t>(i)] = i + 1.0;

  feeder.Block(x.data(), 1535);
  EXPECT_TRUE(obj.raw.empty());
  EXPECT_EQ(fft->GetChannel(0)->GetInputSampleCount(), 2048 + 1535);

  feeder.Block(x.data() + 1535, 1);
  ASSERT_EQ(obj.raw.size(), 4u);
  // Frames at offsets 0, 512, 1024, 1536 of the padded stream.
  for (size_t f = 0; f < 4; ++f)
  {
    const int offset = 512 * static_cast<int>(f);
    for (int i = 0; i < 2048; ++i)
    {
      const int pos = offset + i - 2048;
      ASSERT_EQ(obj.raw[f][static_cast<size_t>(i)], pos < 0 ? 0.0 : pos + 1.0) << f << " " << i;
    }
  }
  EXPECT_EQ(fft->GetChannel(0)->GetInputSampleCount(), 3584 - 2048);
  EXPECT_EQ(fft->GetChannel(0)->GetBufferOffset(), 0);
  EXPECT_EQ(obj.log, "123456123456123456123456");
}

TEST(FftProcessObj14, OnlyTheFirstBlockAfterResetIsPadded)
{
  RecordingObj obj(8);
  FftProcessObj14 fft({&obj}, 1, 0, 8, 2, 1, 44100.0);
  Feeder feeder(fft);
  const double a[] = {1, 2, 3, 4};
  const double b[] = {5, 6, 7, 8};
  const double c[] = {9, 10, 11, 12};

  // 8 zeros + 4 samples = 12 = 2 x 8 - 4: one cycle at once.
  feeder.Block(a, 4);
  ASSERT_EQ(obj.raw.size(), 2u);
  EXPECT_EQ(obj.raw[0], std::vector<double>(8, 0.0));
  EXPECT_EQ(obj.raw[1], (std::vector<double>{0, 0, 0, 0, 1, 2, 3, 4}));
  EXPECT_EQ(fft.GetChannel(0)->GetInputSampleCount(), 4);

  feeder.Block(b, 4);
  EXPECT_EQ(fft.GetChannel(0)->GetInputSampleCount(), 8);
  feeder.Block(c, 4);
  ASSERT_EQ(obj.raw.size(), 4u);
  EXPECT_EQ(obj.raw[2], (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(obj.raw[3], (std::vector<double>{5, 6, 7, 8, 9, 10, 11, 12}));

  fft.Reset();
  feeder.Block(c, 4);
  ASSERT_EQ(obj.raw.size(), 6u);
  EXPECT_EQ(obj.raw[5], (std::vector<double>{0, 0, 0, 0, 9, 10, 11, 12}));
}

TEST(FftProcessObj14, ChannelIndexOutsideTheListAddressesEveryChannel)
{
  RecordingObj obj(2048);
  FftProcessObj14 one({&obj}, 1, 0, 2048, 4, 1, 44100.0);
  EXPECT_EQ(one.GetChannel(0)->GetAnalysisWindowType(), kWindowRectangular);
  one.SetAnalysisWindow(5, kWindowHann);
  EXPECT_EQ(one.GetChannel(0)->GetAnalysisWindowType(), kWindowHann);

  // Takes effect at the next frame: the windowed frame ends at Hann's 0
  // where the raw frame holds 1.
  Feeder feeder(one);
  const std::vector<double> x(1536, 1.0);
  feeder.Block(x.data(), 1536);
  ASSERT_EQ(obj.windowed.size(), 4u);
  EXPECT_EQ(obj.raw[3][2047], 1.0);
  EXPECT_NEAR(obj.windowed[3][2047], 0.0, 1e-15);
  EXPECT_GT(obj.windowed[3][1024], 0.4);

  FftProcessObj14 two({}, 2, 0, 64, 2, 1, 44100.0);
  two.SetAnalysisWindow(1, kWindowHann);
  EXPECT_EQ(two.GetChannel(0)->GetAnalysisWindowType(), kWindowRectangular);
  EXPECT_EQ(two.GetChannel(1)->GetAnalysisWindowType(), kWindowHann);
  two.SetSynthesisWindow(-1, kWindowHannOverlapPower);
  two.SetKeepSynthesisEnergy(9, true);
  two.SetSkipFft(0, true);
  for (int c = 0; c < 2; ++c)
  {
    EXPECT_EQ(two.GetChannel(c)->GetSynthesisWindowType(), kWindowHannOverlapPower);
    EXPECT_TRUE(two.GetChannel(c)->GetKeepSynthesisEnergy());
  }
  EXPECT_TRUE(two.GetChannel(0)->GetSkipFft());
  EXPECT_FALSE(two.GetChannel(1)->GetSkipFft());
}

TEST(FftProcessObj14, EmptyInputsFeedSilenceAsLongAsTheOutput)
{
  RecordingObj obj(2048);
  auto fft = MakeCrestLike(&obj);
  Buffers none;
  Buffers out(1);
  for (int call = 1; call <= 6; ++call)
  {
    out[0].Resize(256);
    EXPECT_FALSE(fft->Process(none, none, &out));
    if (call < 6)
    {
      EXPECT_EQ(fft->GetChannel(0)->GetInputSampleCount(), 2048 + 256 * call);
    }
  }
  // 2048 + 6 x 256 = 3584: the first cycle, all silence.
  ASSERT_EQ(obj.raw.size(), 4u);
  for (const auto& frame : obj.raw)
    for (double v : frame)
      ASSERT_EQ(v, 0.0);
  EXPECT_EQ(out[0].GetSize(), 256);

  // Inputs without outputs: nothing to take, the result is true.
  Buffers in(1);
  in[0].Resize(10);
  EXPECT_TRUE(fft->Process(in, none, nullptr));
}

TEST(FftProcessObj14, WithoutOutputsFramesStopAtTheSpectrum)
{
  RecordingObj obj(64);
  FftProcessObj14 fft({&obj}, 1, 0, 64, 2, 1, 44100.0);
  Buffers in(1);
  in[0].CopyFrom(Noise(64 * 4, 9u).data(), 64 * 4);
  EXPECT_TRUE(fft.Process(in, Buffers(), nullptr));
  // 64 zeros + 256 samples: four cycles of two frames, none resynthesised.
  EXPECT_EQ(obj.log, "123123123123123123123123");
  EXPECT_TRUE(obj.ifftSizes.empty());
  EXPECT_EQ(fft.GetChannel(0)->GetInputSampleCount(), 64 + 256 - 4 * 64);
  EXPECT_EQ(fft.GetChannel(0)->GetOutputSampleCount(), 0);

  // Asking for output again resynthesises the frames from then on.
  Buffers out(1);
  out[0].Resize(64);
  in[0].Resize(64);
  fft.Process(in, Buffers(), &out);
  EXPECT_EQ(obj.log.substr(24), "123456123456");
}

TEST(FftProcessObj14, OverlappingOneRunsOneFramePerCycleAndNeverRescales)
{
  for (bool keep : {false, true})
  {
    RecordingObj obj(64);
    obj.spectrumGain = 2.0;
    FftProcessObj14 fft({&obj}, 1, 0, 64, 1, 1, 44100.0);
    fft.SetKeepSynthesisEnergy(-1, keep);
    EXPECT_EQ(fft.GetChannel(0)->GetShift(), 64);
    Feeder feeder(fft);
    const std::vector<double> x = Noise(64 * 20, 4u);
    feeder.Run(x, 32);
    // 64 zeros + 1280 samples: a cycle of one frame per 64 samples.
    EXPECT_EQ(obj.raw.size(), 21u);
    EXPECT_EQ(obj.log.substr(0, 12), "123456123456");
    std::vector<double> doubled(x);
    for (double& v : doubled)
      v *= 2.0;
    ASSERT_GT(feeder.output.size(), 1000u);
    EXPECT_LT(MaxDifference(feeder.output, doubled), 1e-12) << "keep " << keep;
  }
}

TEST(FftProcessObj14, EnergyKeepingRestoresTheAnalysedLevel)
{
  for (bool keep : {false, true})
  {
    RecordingObj obj(64);
    obj.spectrumGain = 2.0;
    FftProcessObj14 fft({&obj}, 1, 0, 64, 2, 1, 44100.0);
    fft.SetKeepSynthesisEnergy(-1, keep);
    Feeder feeder(fft);
    const std::vector<double> x = Noise(64 * 20, 5u);
    feeder.Run(x, 64);
    std::vector<double> expected(x);
    if (!keep)
      for (double& v : expected)
        v *= 2.0;
    ASSERT_GT(feeder.output.size(), 1000u);
    EXPECT_LT(MaxDifference(feeder.output, expected), 1e-12) << "keep " << keep;
  }
}

TEST(FftProcessObj14, OversamplingTwoPadsTheSpectrumAndStillResynthesises)
{
  RecordingObj obj(2048);
  auto fft = MakeCrestLike(&obj, 2);
  Feeder feeder(*fft);
  const std::vector<double> x = Noise(512 * 12, 6u);
  EXPECT_EQ(feeder.Run(x, 512), 6);
  ASSERT_FALSE(obj.fftSizes.empty());
  EXPECT_EQ(obj.fftSizes[0], 4096);
  EXPECT_EQ(obj.ifftSizes[0], 4096);
  // Only the first 2048 samples are windowed; the padding stays zero.
  ASSERT_EQ(obj.post[0].size(), 4096u);
  for (size_t i = 2048; i < 4096; ++i)
    ASSERT_NEAR(obj.post.back()[i], 0.0, 1e-14);
  EXPECT_LT(MaxDifference(feeder.output, x), 1e-4);
}

TEST(FftProcessObj14, ChannelWithoutProcessObjIsProcessedAllTheSame)
{
  FftProcessObj14 fft({}, 1, 0, 256, 4, 1, 44100.0);
  fft.SetAnalysisWindow(-1, kWindowHann);
  fft.SetSynthesisWindow(-1, kWindowHann);
  Feeder feeder(fft);
  const std::vector<double> x = Noise(256 * 16, 7u);
  EXPECT_GE(feeder.Run(x, 128), 1);
  ASSERT_GT(feeder.output.size(), 1000u);
  // Hann pairs of 256 overlap-add to 1 only to about 2e-4.
  EXPECT_LT(MaxDifference(feeder.output, x), 5e-4);
}

TEST(FftProcessObj14, SkippingTheFftPassesTheWindowedFrameThrough)
{
  RecordingObj obj(2048);
  obj.spectrumGain = 0.0;
  auto fft = MakeCrestLike(&obj);
  fft->SetSkipFft(-1, true);
  Feeder feeder(*fft);
  const std::vector<double> x = Noise(512 * 12, 8u);
  EXPECT_EQ(feeder.Run(x, 512), 6);
  EXPECT_TRUE(obj.fftSizes.empty());
  ASSERT_FALSE(obj.ifftSizes.empty());
  EXPECT_EQ(obj.ifftSizes[0], 2048);
  EXPECT_EQ(obj.log.substr(0, 10), "1245612456");
  EXPECT_LT(MaxDifference(feeder.output, x), 1e-4);
}

TEST(FftProcessObj14, SideChainChannelsRunFirstAndReachTheHooks)
{
  std::string order;
  RecordingObj main(64, &order, 'm');
  RecordingObj side(64, &order, 's');
  FftProcessObj14 fft({&main, &side}, 1, 1, 64, 2, 1, 44100.0);
  EXPECT_EQ(fft.GetNumScInputs(), 1);

  Buffers in(1);
  Buffers sc(1);
  in[0].Resize(32);
  sc[0].Resize(32);
  for (int i = 0; i < 32; ++i)
  {
    in[0][i] = i + 1.0;
    sc[0][i] = -(i + 1.0);
  }
  fft.Process(in, sc, nullptr);
  ASSERT_EQ(main.raw.size(), 2u);
  ASSERT_EQ(side.raw.size(), 2u);
  EXPECT_EQ(order.substr(0, 12), "s1m1s2m2s3m3");
  // The main channel sees the side-chain frame of the same stage.
  ASSERT_NE(main.rawSc[1], nullptr);
  EXPECT_EQ(main.rawScValues[1], side.raw[1]);
  EXPECT_EQ(side.raw[1][63], -32.0);
  EXPECT_EQ(main.raw[1][63], 32.0);
  EXPECT_EQ(side.rawSc[0], nullptr);

  // More main channels than side-chain channels share the first one.
  RecordingObj m0(64);
  RecordingObj m1(64);
  FftProcessObj14 wide({&m0, &m1}, 2, 1, 64, 2, 1, 44100.0);
  Buffers two(2);
  two[0].Resize(32);
  two[1].Resize(32);
  Buffers none;
  wide.Process(two, none, nullptr);
  ASSERT_FALSE(m0.rawSc.empty());
  EXPECT_NE(m0.rawSc[0], nullptr);
  EXPECT_EQ(m0.rawSc[0], m1.rawSc[0]);

  // As many side-chain channels as main ones: each main has its own.
  RecordingObj p0(64);
  RecordingObj p1(64);
  FftProcessObj14 pairs({&p0, &p1}, 2, 2, 64, 2, 1, 44100.0);
  Buffers scTwo(2);
  scTwo[0].Resize(32);
  scTwo[1].Resize(32);
  for (int i = 0; i < 32; ++i)
  {
    scTwo[0][i] = 1.0;
    scTwo[1][i] = 2.0;
  }
  pairs.Process(two, scTwo, nullptr);
  ASSERT_EQ(p0.rawScValues.size(), 2u);
  ASSERT_EQ(p1.rawScValues.size(), 2u);
  EXPECT_EQ(p0.rawScValues[1][63], 1.0);
  EXPECT_EQ(p1.rawScValues[1][63], 2.0);
}

TEST(FftProcessObj14, AddSamplesByStartChannel)
{
  FftProcessObj14 fft({}, 3, 0, 64, 2, 1, 44100.0);
  Buffers blocks(2);
  blocks[0].Resize(10);
  blocks[1].Resize(10);
  fft.AddSamples(1, blocks);
  EXPECT_EQ(fft.GetChannel(0)->GetInputSampleCount(), 0);
  EXPECT_EQ(fft.GetChannel(1)->GetInputSampleCount(), 64 + 10);
  EXPECT_EQ(fft.GetChannel(2)->GetInputSampleCount(), 64 + 10);
  // Past the last channel: ignored.
  fft.AddSamples(2, blocks);
  EXPECT_EQ(fft.GetChannel(2)->GetInputSampleCount(), 64 + 20);
}

TEST(FftProcessObj14, GetOutputSamplesWithoutMainChannelsSucceeds)
{
  FftProcessObj14 none({}, 0, 0, 64, 2, 1, 44100.0);
  Buffers out(1);
  EXPECT_TRUE(none.GetOutputSamples(&out, 16));
  Buffers in;
  EXPECT_TRUE(none.Process(in, in, nullptr));
}

TEST(ProcessObjChannel, RefusedTakeKeepsValuesAndPadsWithZeros)
{
  ProcessObjChannel channel(nullptr, 16);
  channel.Reset(2, 1, 44100.0);
  WDL_TypedBuf<double> out(2);
  out[0] = 5.0;
  out[1] = 6.0;
  EXPECT_FALSE(channel.GetOutputSamples(4, &out));
  ASSERT_EQ(out.GetSize(), 4);
  EXPECT_EQ(out[0], 5.0);
  EXPECT_EQ(out[1], 6.0);
  EXPECT_EQ(out[3], 0.0);
}

TEST(ProcessObjChannel, BadSettingsKeepTheFrameLoopFinite)
{
  // Overlapping beyond the frame length would give a hop of 0.
  FftProcessObj14 fft({}, 1, 0, 4, 8, 1, 44100.0);
  EXPECT_EQ(fft.GetChannel(0)->GetShift(), 1);
  Buffers in(1);
  in[0].Resize(64);
  EXPECT_TRUE(fft.Process(in, Buffers(), nullptr));

  FftProcessObj14 empty({}, 1, 0, 0, 4, 1, 44100.0);
  EXPECT_TRUE(empty.Process(in, Buffers(), nullptr));
}
