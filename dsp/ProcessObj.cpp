#include "dsp/ProcessObj.h"

#include <limits>

ProcessObj::ProcessObj(int bufferSize) : mBufferSize(bufferSize) {}

ProcessObj::~ProcessObj() = default;

void ProcessObj::Reset(int overlapping, int oversampling, double sampleRate)
{
  mFrame.Take(overlapping, oversampling, sampleRate);
  Reset();
}

int ProcessObj::GetSampleRate() const
{
  constexpr double kLargest = static_cast<double>(std::numeric_limits<int>::max());
  return mFrame.sampleRate >= kLargest ? std::numeric_limits<int>::max() : static_cast<int>(mFrame.sampleRate);
}

void ProcessObj::Reset()
{
  mInputTracker.Reset();
  mOutputTracker.Reset();
}

void ProcessObj::PreProcessSamplesBuffer(WDL_TypedBuf<double>* ioBuffer, WDL_TypedBuf<double>*)
{
  if (ioBuffer)
    mInputTracker.AddValues(*ioBuffer);
}

void ProcessObj::ProcessSamplesBuffer(WDL_TypedBuf<double>*, WDL_TypedBuf<double>*) {}

void ProcessObj::ProcessFftBuffer(WDL_TypedBuf<FftComplex>*, WDL_TypedBuf<FftComplex>*) {}

void ProcessObj::ProcessIfftBuffer(WDL_TypedBuf<double>*, WDL_TypedBuf<double>*) {}

void ProcessObj::ProcessResynthBuffer(WDL_TypedBuf<double>* ioBuffer, WDL_TypedBuf<double>*)
{
  if (ioBuffer)
    mOutputTracker.AddValues(*ioBuffer);
}

void ProcessObj::PostProcessSamplesBuffer(WDL_TypedBuf<double>*, WDL_TypedBuf<double>*) {}

void ProcessObj::SetTrackIO(int maxNumPoints, bool trackInput, bool trackOutput, double decimFactor)
{
  mTrackInput = trackInput;
  mTrackOutput = trackOutput;
  if (trackInput)
    mInputTracker.SetParams(maxNumPoints, decimFactor);
  if (trackOutput)
    mOutputTracker.SetParams(maxNumPoints, decimFactor);
}

void ProcessObj::GetCurrentInput(WDL_TypedBuf<double>* out)
{
  if (out)
    mInputTracker.GetValues(out);
}

void ProcessObj::GetCurrentOutput(WDL_TypedBuf<double>* out)
{
  if (out)
    mOutputTracker.GetValues(out);
}
