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
    mMagns.Reserve(static_cast<int>(bins / 2));
  }
}

void CrestProcess::ProcessFftBuffer(WDL_TypedBuf<FftComplex>* ioBuffer, WDL_TypedBuf<FftComplex>*)
{
  if (!ioBuffer)
    return;
  // The lower half straight from the spectrum: no copy of it is needed.
  BufferOps::Magnitudes(ioBuffer->Get(), ioBuffer->GetSize() / 2, &mMagns);
  if (mView)
    mView->AddMagns(mMagns);
}

void CrestProcess::SetView(SpectrumSink* view) { mView = view; }
