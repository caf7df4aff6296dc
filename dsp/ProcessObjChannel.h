// One channel of the short-time FFT framework: its buffers, its windows and
// the per-channel steps that the framework's frame loop runs in order. It
// calls the hooks of the ProcessObj that serves it (not owned, may be null).
#pragma once

#include "dsp/FrameSettings.h"
#include "framework/FftComplex.h"
#include "framework/WDL_TypedBuf.h"

class ProcessObj;

class ProcessObjChannel
{
public:
  // The largest block a host hands over at once; buffers are reserved for
  // it so that the audio path does not allocate once running (larger blocks
  // work, growing the buffers once).
  static constexpr int kReservedBlockSize = 1024;

  ProcessObjChannel(ProcessObj* processObj, int bufferSize);
  virtual ~ProcessObjChannel();

  // Takes each setting that is valid (greater than 0), then calls Reset().
  virtual void Reset(int overlapping, int oversampling, double sampleRate);
  // Rebuilds the windows and the buffers, waits for fresh input, then resets
  // the processing object with this channel's settings.
  virtual void Reset();

  void SetAnalysisWindowType(int type);
  void SetSynthesisWindowType(int type);
  void SetKeepSynthesisEnergy(bool flag);
  void SetSkipFft(bool flag);
  // The side-chain channel whose same-stage buffers the hooks receive.
  void SetCompanion(ProcessObjChannel* companion) { mCompanion = companion; }

  // Appends a block; the first block after Reset is led by bufferSize zeros,
  // which the take step later drops again.
  void AddSamples(const WDL_TypedBuf<double>& samples);

  // Moves numSamples finished samples into out. Without enough of them, out
  // is brought to numSamples values (new ones 0) and the result is false.
  bool GetOutputSamples(int numSamples, WDL_TypedBuf<double>* out);

  // The frame steps, in the order the frame loop runs them for every
  // channel before moving to the next step.
  void TakeFrame();
  void ApplyAnalysisWindow();
  void ForwardTransform();
  void CallSpectralHook();
  void InverseTransform();
  void ApplySynthesisWindow();
  void OverlapAdd();
  // Moves to the next frame offset; true when it wrapped back to 0, which
  // ends the cycle.
  bool Advance();
  // End of a cycle: drops bufferSize input samples and hands bufferSize
  // finished samples to the output.
  void ConsumeAndFlush();
  // End of a cycle that was not resynthesised: drops bufferSize input
  // samples only.
  void ConsumeInput();

  int GetBufferSize() const { return mBufferSize; }
  int GetOverlapping() const { return mFrame.overlapping; }
  int GetOversampling() const { return mFrame.oversampling; }
  double GetSampleRate() const { return mFrame.sampleRate; }
  int GetShift() const { return mShift; }
  int GetBufferOffset() const { return mBufferOffset; }
  int GetInputSampleCount() const { return mInputSamples.GetSize(); }
  int GetOutputSampleCount() const { return mOutputSamples.GetSize(); }
  const WDL_TypedBuf<double>& GetAnalysisWindow() const { return mAnalysisWindow; }
  const WDL_TypedBuf<double>& GetSynthesisWindow() const { return mSynthesisWindow; }
  int GetAnalysisWindowType() const { return mAnalysisWindowType; }
  int GetSynthesisWindowType() const { return mSynthesisWindowType; }
  bool GetKeepSynthesisEnergy() const { return mKeepSynthesisEnergy; }
  bool GetSkipFft() const { return mSkipFft; }
  ProcessObj* GetProcessObj() const { return mProcessObj; }

private:
  void RebuildWindowsIfDirty();
  void ReserveBuffers();

  ProcessObj* mProcessObj;
  int mBufferSize;
  FrameSettings mFrame;
  int mAnalysisWindowType = 0;
  int mSynthesisWindowType = 0;
  WDL_TypedBuf<double> mAnalysisWindow;
  WDL_TypedBuf<double> mSynthesisWindow;
  bool mKeepSynthesisEnergy = false;
  bool mSkipFft = false;
  int mShift;
  int mBufferOffset = 0;
  WDL_TypedBuf<double> mInputSamples;
  WDL_TypedBuf<double> mResynthFrame;
  WDL_TypedBuf<double> mOverlapAddSum;
  WDL_TypedBuf<double> mOutputSamples;
  WDL_TypedBuf<double> mAnalysisFrame;
  WDL_TypedBuf<FftComplex> mFftBuffer;
  double mAnalysisLevel = 0.0;
  bool mPadInput = true;
  bool mDropLatency = false;
  bool mWindowsDirty = true;
  ProcessObjChannel* mCompanion = nullptr;

  // The transforms' work area, kept so that frames do not allocate.
  WDL_TypedBuf<FftComplex> mFftScratch;
};
