// The spectrum capture of the 3-D view: for every analysed frame it takes
// the linear magnitudes of the positive-frequency bins and hands them to
// the view, on the audio thread. The audio path is left untouched.
#pragma once

#include "dsp/ProcessObj.h"
#include "dsp/SpectrumSink.h"

class CrestProcess : public ProcessObj
{
public:
  CrestProcess(int bufferSize, double overlapping, double oversampling, double sampleRate);
  ~CrestProcess() override;

  // Keeps the settings for Reset(); the base's settings and traces are left
  // alone.
  void Reset(int overlapping, int oversampling, double sampleRate) override;
  void Reset() override;

  // magns[k] = |bin k| for k below half the spectrum length (the Nyquist bin
  // and the negative frequencies are dropped), then view->AddMagns(magns).
  // The spectrum is not changed; scBuffer is ignored.
  void ProcessFftBuffer(WDL_TypedBuf<FftComplex>* ioBuffer, WDL_TypedBuf<FftComplex>* scBuffer) override;

  // The view must stay valid while attached; null detaches it. Change it
  // only while no frame is being processed (under the plug-in's lock).
  void SetView(SpectrumSink* view);
  SpectrumSink* GetView() const { return mView; }

  double GetCaptureOverlapping() const { return mOverlapping; }
  double GetCaptureOversampling() const { return mOversampling; }
  double GetCaptureSampleRate() const { return mSampleRate; }

private:
  void ReserveForFrames();

  int mBufferSize;
  double mOverlapping;
  double mOversampling;
  double mSampleRate;
  SpectrumSink* mView = nullptr;

  // Per-frame work, kept so that frames do not allocate.
  WDL_TypedBuf<double> mMagns;
};
