#include "dsp/ProcessObjChannel.h"

#include "dsp/BufferOps.h"
#include "dsp/FftTransform.h"
#include "dsp/ProcessObj.h"
#include "dsp/Window.h"

#include <algorithm>

ProcessObjChannel::ProcessObjChannel(ProcessObj* processObj, int bufferSize)
  : mProcessObj(processObj), mBufferSize(std::max(bufferSize, 0)), mShift(mBufferSize)
{
}

ProcessObjChannel::~ProcessObjChannel() = default;

void ProcessObjChannel::Reset(int overlapping, int oversampling, double sampleRate)
{
  mFrame.Take(overlapping, oversampling, sampleRate);
  Reset();
}

void ProcessObjChannel::Reset()
{
  // At least one sample, so that every cycle of the frame loop ends.
  mShift = std::max(mBufferSize / mFrame.overlapping, 1);
  Window::MakeWindows(mBufferSize, mFrame.overlapping, mAnalysisWindowType, mSynthesisWindowType, &mAnalysisWindow,
                      &mSynthesisWindow);

  const int fftSize = mBufferSize * mFrame.oversampling;
  mInputSamples.Clear();
  mResynthFrame.Resize(mBufferSize);
  mOverlapAddSum.Resize(2 * fftSize);
  mFftBuffer.Resize(fftSize);
  mOutputSamples.Clear();
  ReserveBuffers();

  mPadInput = true;
  mDropLatency = false;
  mBufferOffset = 0;

  if (mProcessObj)
    mProcessObj->Reset(mFrame.overlapping, mFrame.oversampling, mFrame.sampleRate);
}

void ProcessObjChannel::ReserveBuffers()
{
  const int fftSize = mBufferSize * mFrame.oversampling;
  // Input peaks below 2 x bufferSize plus a block (padding included);
  // output below 3 x bufferSize plus a block, while the latency is dropped.
  mInputSamples.Reserve(2 * mBufferSize + kReservedBlockSize);
  mOutputSamples.Reserve(3 * mBufferSize + kReservedBlockSize);
  mAnalysisFrame.Reserve(fftSize);
  mResynthFrame.Reserve(fftSize);
  mFftScratch.Reserve(fftSize);
}

void ProcessObjChannel::SetAnalysisWindowType(int type)
{
  mAnalysisWindowType = type;
  mWindowsDirty = true;
}

void ProcessObjChannel::SetSynthesisWindowType(int type)
{
  mSynthesisWindowType = type;
  mWindowsDirty = true;
}

void ProcessObjChannel::SetKeepSynthesisEnergy(bool flag) { mKeepSynthesisEnergy = flag; }

void ProcessObjChannel::SetSkipFft(bool flag) { mSkipFft = flag; }

void ProcessObjChannel::RebuildWindowsIfDirty()
{
  if (!mWindowsDirty)
    return;
  Window::MakeWindows(mBufferSize, mFrame.overlapping, mAnalysisWindowType, mSynthesisWindowType, &mAnalysisWindow,
                      &mSynthesisWindow);
  mWindowsDirty = false;
}

void ProcessObjChannel::AddSamples(const WDL_TypedBuf<double>& samples)
{
  mInputSamples.Append(samples.Get(), samples.GetSize());
  if (mPadInput)
  {
    mInputSamples.InsertZerosFront(mAnalysisWindow.GetSize());
    mPadInput = false;
    mDropLatency = true;
  }
}

bool ProcessObjChannel::GetOutputSamples(int numSamples, WDL_TypedBuf<double>* out)
{
  const int latency = mAnalysisWindow.GetSize();
  if (mDropLatency && mOutputSamples.GetSize() >= 2 * latency)
  {
    mOutputSamples.ConsumeFront(latency);
    mDropLatency = false;
  }
  if (!mDropLatency && mOutputSamples.GetSize() >= numSamples)
  {
    out->CopyFrom(mOutputSamples.Get(), std::max(numSamples, 0));
    mOutputSamples.ConsumeFront(numSamples);
    return true;
  }
  out->Resize(numSamples);
  return false;
}

void ProcessObjChannel::TakeFrame()
{
  if (mInputSamples.GetSize() < mBufferOffset + mBufferSize)
    return;
  mAnalysisFrame.CopyFrom(mInputSamples.Get() + mBufferOffset, mBufferSize);
  if (mProcessObj)
    mProcessObj->PreProcessSamplesBuffer(&mAnalysisFrame, mCompanion ? &mCompanion->mAnalysisFrame : nullptr);
}

void ProcessObjChannel::ApplyAnalysisWindow()
{
  RebuildWindowsIfDirty();
  BufferOps::MultiplyValues(&mAnalysisFrame, mAnalysisWindow);
  if (mProcessObj)
    mProcessObj->ProcessSamplesBuffer(&mAnalysisFrame, mCompanion ? &mCompanion->mAnalysisFrame : nullptr);
}

void ProcessObjChannel::ForwardTransform()
{
  mAnalysisLevel = mKeepSynthesisEnergy ? BufferOps::MeanAbs(mAnalysisFrame) : 0.0;
  const int fftSize = mBufferSize * mFrame.oversampling;
  if (mFrame.oversampling >= 2 && mAnalysisFrame.GetSize() < fftSize)
    mAnalysisFrame.Resize(fftSize);
  if (!mSkipFft)
    FftTransform::Forward(mAnalysisFrame, mFrame.oversampling, &mFftBuffer, &mFftScratch);
}

void ProcessObjChannel::CallSpectralHook()
{
  if (!mSkipFft && mProcessObj)
    mProcessObj->ProcessFftBuffer(&mFftBuffer, mCompanion ? &mCompanion->mFftBuffer : nullptr);
}

void ProcessObjChannel::InverseTransform()
{
  // Skipping the FFT passes the windowed, padded frame through unchanged.
  if (mSkipFft)
    mResynthFrame.CopyFrom(mAnalysisFrame);
  else
    FftTransform::Inverse(mFftBuffer, mFrame.oversampling, &mResynthFrame, &mFftScratch);
  if (mProcessObj)
    mProcessObj->ProcessIfftBuffer(&mResynthFrame, mCompanion ? &mCompanion->mResynthFrame : nullptr);
}

void ProcessObjChannel::ApplySynthesisWindow()
{
  if (mKeepSynthesisEnergy)
  {
    const double level = BufferOps::MeanAbs(mResynthFrame);
    const double factor = level > 0.0 ? mAnalysisLevel / level : 1.0;
    // With a single frame per buffer there is nothing to balance.
    if (mFrame.overlapping >= 2)
      BufferOps::Multiply(&mResynthFrame, factor);
  }
  if (mProcessObj)
    mProcessObj->ProcessResynthBuffer(&mResynthFrame, mCompanion ? &mCompanion->mResynthFrame : nullptr);
  RebuildWindowsIfDirty();
  // Only the first bufferSize samples: the rest is the zero padding.
  BufferOps::MultiplyValues(&mResynthFrame, mSynthesisWindow);
}

void ProcessObjChannel::OverlapAdd()
{
  if (mProcessObj)
    mProcessObj->PostProcessSamplesBuffer(&mResynthFrame, mCompanion ? &mCompanion->mResynthFrame : nullptr);
  BufferOps::AddAt(&mOverlapAddSum, mResynthFrame, mBufferOffset, mBufferSize);
}

bool ProcessObjChannel::Advance()
{
  mBufferOffset += mShift;
  if (mBufferOffset < mBufferSize)
    return false;
  mBufferOffset = 0;
  return true;
}

void ProcessObjChannel::ConsumeInput() { mInputSamples.ConsumeFront(mBufferSize); }

void ProcessObjChannel::ConsumeAndFlush()
{
  ConsumeInput();
  if (mOverlapAddSum.GetSize() >= 2 * mBufferSize * mFrame.oversampling)
  {
    mOutputSamples.Append(mOverlapAddSum.Get(), mBufferSize);
    mOverlapAddSum.ConsumeFront(mBufferSize);
    mOverlapAddSum.Append(nullptr, mBufferSize);
  }
}
