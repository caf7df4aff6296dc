#include "dsp/CrestProcess.h"

#include "dsp/BufferOps.h"

#include <algorithm>

CrestProcess::CrestProcess(int bufferSize, double overlapping, double oversampling, double sampleRate)
  : ProcessObj(bufferSize), mBufferSize(bufferSize), mOverlapping(overlapping), mOversampling(oversampling),
    mSampleRate(sampleRate)
{
  ReserveForFrames();
}

CrestProcess::~CrestProcess() = default;

void CrestProcess::Reset(int overlapping, int oversampling, double sampleRate)
{
  mOverlapping = overlapping;
  mOversampling = oversampling;
  mSampleRate = sampleRate;
  ReserveForFrames();
}

void CrestProcess::Reset() { Reset(static_cast<int>(mOverlapping), static_cast<int>(mOversampling), mSampleRate); }

void CrestProcess::ReserveForFrames()
{
  const double bins = std::max(static_cast<double>(mBufferSize) * mOversampling, 0.0);
  // Only sensible sizes are worth reserving; anything else grows on use.
  if (bins <= 1 << 20)
  {
    // The copy holds the whole spectrum until its upper half is dropped.
    mHalfSpectrum.Reserve(static_cast<int>(bins));
    mMagns.Reserve(static_cast<int>(bins / 2));
  }
}

void CrestProcess::ProcessFftBuffer(WDL_TypedBuf<FftComplex>* ioBuffer, WDL_TypedBuf<FftComplex>*)
{
  if (!ioBuffer)
    return;
  mHalfSpectrum.CopyFrom(*ioBuffer);
  BufferOps::KeepFirstHalf(&mHalfSpectrum);
  BufferOps::Magnitudes(mHalfSpectrum, &mMagns);
  if (mView)
    mView->AddMagns(mMagns);
}

void CrestProcess::SetView(SpectrumSink* view) { mView = view; }
