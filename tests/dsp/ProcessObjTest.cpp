#include "dsp/ProcessObj.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
WDL_TypedBuf<double> Ramp(int n, double start)
{
  WDL_TypedBuf<double> buf(n);
  for (int i = 0; i < n; ++i)
    buf[i] = start + i;
  return buf;
}

// Counts the calls of the settings-free Reset that the other one makes.
class CountingObj : public ProcessObj
{
public:
  using ProcessObj::ProcessObj;
  using ProcessObj::Reset;
  void Reset() override
  {
    ++resets;
    ProcessObj::Reset();
  }
  int resets = 0;
};
} // namespace

TEST(ProcessObj, ResetTakesOnlyValidSettingsAndAlwaysResets)
{
  CountingObj obj(2048);
  obj.Reset(4, 2, 48000.0);
  EXPECT_EQ(obj.resets, 1);
  EXPECT_EQ(obj.GetOverlapping(), 4);
  EXPECT_EQ(obj.GetOversampling(), 2);
  EXPECT_EQ(obj.GetSampleRate(), 48000);

  obj.Reset(0, -1, 0.0);
  EXPECT_EQ(obj.resets, 2);
  EXPECT_EQ(obj.GetOverlapping(), 4);
  EXPECT_EQ(obj.GetOversampling(), 2);
  EXPECT_EQ(obj.GetSampleRate(), 48000);
  EXPECT_EQ(obj.GetBufferSize(), 2048);

  obj.Reset(8, 1, 44100.7);
  EXPECT_EQ(obj.GetSampleRate(), 44100);
  EXPECT_EQ(obj.GetOverlapping(), 8);
  EXPECT_EQ(obj.GetOversampling(), 1);

  obj.Reset(1, 1, std::nan(""));
  EXPECT_EQ(obj.GetSampleRate(), 44100);
}

TEST(ProcessObj, DefaultTracesStayEmpty)
{
  ProcessObj obj(2048);
  EXPECT_FALSE(obj.GetTrackInput());
  EXPECT_FALSE(obj.GetTrackOutput());
  WDL_TypedBuf<double> frame = Ramp(2048, 1.0);
  for (int i = 0; i < 20; ++i)
  {
    obj.PreProcessSamplesBuffer(&frame, nullptr);
    obj.ProcessResynthBuffer(&frame, nullptr);
  }
  WDL_TypedBuf<double> out = Ramp(3, 0.0);
  obj.GetCurrentInput(&out);
  EXPECT_EQ(out.GetSize(), 0);
  out = Ramp(3, 0.0);
  obj.GetCurrentOutput(&out);
  EXPECT_EQ(out.GetSize(), 0);
}

TEST(ProcessObj, InputTraceHoldsTheNewestThinnedFrame)
{
  ProcessObj obj(2048);
  obj.SetTrackIO(1024, true, false, 0.5);
  EXPECT_TRUE(obj.GetTrackInput());
  EXPECT_FALSE(obj.GetTrackOutput());

  WDL_TypedBuf<double> first = Ramp(2048, 1.0);
  WDL_TypedBuf<double> second = Ramp(2048, 10000.0);
  obj.PreProcessSamplesBuffer(&first, nullptr);
  obj.PreProcessSamplesBuffer(&second, nullptr);
  obj.ProcessResynthBuffer(&second, nullptr);

  WDL_TypedBuf<double> in;
  obj.GetCurrentInput(&in);
  ASSERT_EQ(in.GetSize(), 1024);
  // A rising ramp without crossings keeps each pair's high after the first
  // slot, which takes the low.
  EXPECT_EQ(in[0], 10000.0);
  EXPECT_EQ(in[1], 10003.0);
  EXPECT_EQ(in[1023], 12047.0);

  WDL_TypedBuf<double> out;
  obj.GetCurrentOutput(&out);
  EXPECT_EQ(out.GetSize(), 0);
}

TEST(ProcessObj, OutputTraceAndHooksLeaveBuffersAlone)
{
  ProcessObj obj(8);
  obj.SetTrackIO(16, false, true, 1.0);
  WDL_TypedBuf<double> frame = Ramp(8, -4.0);
  const WDL_TypedBuf<double> copy = frame;
  obj.ProcessSamplesBuffer(&frame, nullptr);
  obj.ProcessIfftBuffer(&frame, nullptr);
  obj.ProcessResynthBuffer(&frame, nullptr);
  obj.PostProcessSamplesBuffer(&frame, nullptr);
  WDL_TypedBuf<FftComplex> spectrum(8);
  spectrum[2] = {1.0, 2.0};
  obj.ProcessFftBuffer(&spectrum, nullptr);
  EXPECT_EQ(spectrum[2].im, 2.0);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(frame[i], copy[i]);

  WDL_TypedBuf<double> out;
  obj.GetCurrentOutput(&out);
  ASSERT_EQ(out.GetSize(), 8);
  EXPECT_EQ(out[7], 3.0);

  WDL_TypedBuf<double> in;
  obj.GetCurrentInput(&in);
  EXPECT_EQ(in.GetSize(), 0);
}

TEST(ProcessObj, ResetZeroesTracesKeepingTheirLength)
{
  ProcessObj obj(4);
  obj.SetTrackIO(4, true, true, 1.0);
  WDL_TypedBuf<double> frame = Ramp(4, 1.0);
  obj.PreProcessSamplesBuffer(&frame, nullptr);
  obj.ProcessResynthBuffer(&frame, nullptr);
  obj.Reset(0, 0, 0.0);
  WDL_TypedBuf<double> in;
  WDL_TypedBuf<double> out;
  obj.GetCurrentInput(&in);
  obj.GetCurrentOutput(&out);
  ASSERT_EQ(in.GetSize(), 4);
  ASSERT_EQ(out.GetSize(), 4);
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(in[i], 0.0);
    EXPECT_EQ(out[i], 0.0);
  }
}
