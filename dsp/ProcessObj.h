// A processing object of the short-time FFT framework: called back with the
// channel's buffer at six stages of every frame, it may read or change that
// buffer in place. This base keeps decimated traces of the raw and the
// resynthesised frames and otherwise leaves the buffers alone.
#pragma once

#include "dsp/FifoDecimator.h"
#include "dsp/FrameSettings.h"
#include "framework/FftComplex.h"
#include "framework/WDL_TypedBuf.h"

class ProcessObj
{
public:
  explicit ProcessObj(int bufferSize);
  virtual ~ProcessObj();

  // Takes each setting that is valid (greater than 0; the sample rate is
  // truncated to whole Hz), then calls Reset().
  virtual void Reset(int overlapping, int oversampling, double sampleRate);
  // Zeroes both traces, keeping their lengths.
  virtual void Reset();

  // The hooks, in the order a frame reaches them. scBuffer is the same
  // stage's buffer of the side-chain companion channel, or null. No hook may
  // keep a buffer pointer after it returns.

  // The raw frame, bufferSize samples; adds it to the input trace.
  virtual void PreProcessSamplesBuffer(WDL_TypedBuf<double>* ioBuffer, WDL_TypedBuf<double>* scBuffer);
  // The frame times the analysis window.
  virtual void ProcessSamplesBuffer(WDL_TypedBuf<double>* ioBuffer, WDL_TypedBuf<double>* scBuffer);
  // The spectrum, bufferSize x oversampling bins in natural order (negative
  // frequencies in the upper half): the windowed frame's DFT / bufferSize.
  virtual void ProcessFftBuffer(WDL_TypedBuf<FftComplex>* ioBuffer, WDL_TypedBuf<FftComplex>* scBuffer);
  // The inverse transform of the spectrum, bufferSize x oversampling samples.
  virtual void ProcessIfftBuffer(WDL_TypedBuf<double>* ioBuffer, WDL_TypedBuf<double>* scBuffer);
  // After energy keeping, before the synthesis window; adds the frame to the
  // output trace.
  virtual void ProcessResynthBuffer(WDL_TypedBuf<double>* ioBuffer, WDL_TypedBuf<double>* scBuffer);
  // After the synthesis window, before overlap-add.
  virtual void PostProcessSamplesBuffer(WDL_TypedBuf<double>* ioBuffer, WDL_TypedBuf<double>* scBuffer);

  // Sets the flags; each trace whose flag is true keeps maxNumPoints values
  // thinned by decimFactor. Not locked: callers on other threads hold the
  // lock that guards the framework.
  virtual void SetTrackIO(int maxNumPoints, bool trackInput, bool trackOutput, double decimFactor);
  virtual void GetCurrentInput(WDL_TypedBuf<double>* out);
  virtual void GetCurrentOutput(WDL_TypedBuf<double>* out);

  int GetBufferSize() const { return mBufferSize; }
  int GetOverlapping() const { return mFrame.overlapping; }
  int GetOversampling() const { return mFrame.oversampling; }
  // In whole Hz (truncated, at most INT_MAX).
  int GetSampleRate() const;
  bool GetTrackInput() const { return mTrackInput; }
  bool GetTrackOutput() const { return mTrackOutput; }

private:
  FifoDecimator mInputTracker{true};
  FifoDecimator mOutputTracker{true};
  bool mTrackInput = false;
  bool mTrackOutput = false;
  int mBufferSize;
  FrameSettings mFrame;
};
