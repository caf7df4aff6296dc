// The short-time FFT framework: cuts each channel's stream into overlapping
// windowed frames, transforms them, hands every stage of every frame to the
// channel's processing object and, when the caller takes output,
// resynthesises and overlap-adds the frames into an output stream. It hides the host's block size: input waits until
// whole frames are there, output until the caller asks for it, delayed by
// the time two cycles of frames take to fill.
#pragma once

#include "dsp/FrameSettings.h"
#include "dsp/Window.h"
#include "framework/WDL_TypedBuf.h"

#include <cstddef>
#include <memory>
#include <vector>

class ProcessObj;
class ProcessObjChannel;

class FftProcessObj14
{
public:
  // Window type codes of SetAnalysisWindow and SetSynthesisWindow.
  static constexpr int kWindowRectangular = ::kWindowRectangular;
  static constexpr int kWindowHann = ::kWindowHann;
  static constexpr int kWindowHannOverlapPower = ::kWindowHannOverlapPower;

  // Builds the FFT tables once per process; thread-safe, later calls return
  // at once. Call it before building a framework object.
  static void Init();

  // processObjs[i] serves channel i (missing entries: none); side-chain
  // channels follow the numChannels main ones. The processing objects are
  // not owned.
  FftProcessObj14(const std::vector<ProcessObj*>& processObjs, int numChannels, int numScInputs, int bufferSize,
                  int overlapping, int oversampling, double sampleRate);
  virtual ~FftProcessObj14();

  // Takes each setting that is valid (greater than 0), then calls Reset().
  virtual void Reset(int overlapping, int oversampling, double sampleRate);
  // Resets every channel with the framework's settings.
  virtual void Reset();

  virtual int GetBufferSize() const;
  virtual int GetOverlapping() const;
  virtual int GetOversampling() const;
  virtual double GetSampleRate() const;

  // channelNum -1 (or any index outside the list) addresses every channel.
  // Window changes take effect at the next frame.
  virtual void SetAnalysisWindow(int channelNum, int windowType);
  virtual void SetSynthesisWindow(int channelNum, int windowType);
  virtual void SetKeepSynthesisEnergy(int channelNum, bool flag);
  virtual void SetSkipFft(int channelNum, bool flag);

  // One block: feeds inputs (or, with no inputs, a block of silence as long
  // as the first output), runs every cycle of frames that the buffered input
  // allows, and takes as many output samples as the first input holds.
  // Without outputs the result is true and the call only analyses: its
  // frames reach the hooks up to the spectrum and are not resynthesised, so
  // the output stream leaves out the time they cover. With outputs the
  // result is false while the output is still delayed, with the outputs
  // zeroed. Does not allocate once the buffers have reached their working
  // size.
  virtual bool Process(const std::vector<WDL_TypedBuf<double>>& inputs,
                       const std::vector<WDL_TypedBuf<double>>& scInputs, std::vector<WDL_TypedBuf<double>>* outputs);

  // Input i to channel i, side-chain input i to side-chain channel i.
  virtual void AddSamples(const std::vector<WDL_TypedBuf<double>>& inputs,
                          const std::vector<WDL_TypedBuf<double>>& scInputs);
  // Buffer i to channel startChannel + i.
  virtual void AddSamples(int startChannel, const std::vector<WDL_TypedBuf<double>>& buffers);

  // Fills outputs[i] from main channel i; true when every channel could.
  bool GetOutputSamples(std::vector<WDL_TypedBuf<double>>* outputs, int numSamples);

  int GetNumChannels() const { return static_cast<int>(mChannels.size()); }
  int GetNumScInputs() const { return mNumScInputs; }
  ProcessObjChannel* GetChannel(int index) const;

private:
  // Every cycle of frames that channel 0's input allows; without
  // resynthesis each frame stops after the spectral hook.
  void RunFrameLoop(bool resynthesise);

  template <class Step>
  void ForChannels(int channelNum, Step step);
  // Brings the input copies to count buffers with room for a block.
  void ReserveLocalInputs(size_t count);

  std::vector<std::unique_ptr<ProcessObjChannel>> mChannels;
  int mNumScInputs = 0;
  int mBufferSize;
  FrameSettings mFrame;

  // Process's block of silence, kept so that blocks do not allocate.
  std::vector<WDL_TypedBuf<double>> mLocalInputs;
};
