#include "dsp/FftProcessObj14.h"

#include "dsp/Fft.h"
#include "dsp/ProcessObjChannel.h"

void FftProcessObj14::Init() { Fft::Init(); }

FftProcessObj14::FftProcessObj14(const std::vector<ProcessObj*>& processObjs, int numChannels, int numScInputs,
                                 int bufferSize, int overlapping, int oversampling, double sampleRate)
  : mBufferSize(bufferSize), mFrame{overlapping, oversampling, sampleRate}
{
  if (numChannels < 0)
    numChannels = 0;
  if (numScInputs < 0)
    numScInputs = 0;
  const int total = numChannels + numScInputs;
  mChannels.reserve(static_cast<size_t>(total));
  for (int i = 0; i < total; ++i)
  {
    ProcessObj* obj = i < static_cast<int>(processObjs.size()) ? processObjs[static_cast<size_t>(i)] : nullptr;
    mChannels.push_back(std::make_unique<ProcessObjChannel>(obj, bufferSize));
    mChannels.back()->Reset(overlapping, oversampling, sampleRate);
  }

  ReserveLocalInputs(static_cast<size_t>(numChannels));

  mNumScInputs = numScInputs;
  if (numScInputs != 0)
  {
    for (int i = 0; i < numChannels; ++i)
    {
      const int sc = numChannels + (i < numScInputs ? i : 0);
      mChannels[static_cast<size_t>(i)]->SetCompanion(mChannels[static_cast<size_t>(sc)].get());
    }
  }
}

FftProcessObj14::~FftProcessObj14() = default;

void FftProcessObj14::Reset(int overlapping, int oversampling, double sampleRate)
{
  mFrame.Take(overlapping, oversampling, sampleRate);
  Reset();
}

void FftProcessObj14::Reset()
{
  for (auto& channel : mChannels)
    channel->Reset(mFrame.overlapping, mFrame.oversampling, mFrame.sampleRate);
}

int FftProcessObj14::GetBufferSize() const { return mBufferSize; }
int FftProcessObj14::GetOverlapping() const { return mFrame.overlapping; }
int FftProcessObj14::GetOversampling() const { return mFrame.oversampling; }
double FftProcessObj14::GetSampleRate() const { return mFrame.sampleRate; }

template <class Step>
void FftProcessObj14::ForChannels(int channelNum, Step step)
{
  if (channelNum >= 0 && channelNum < static_cast<int>(mChannels.size()))
  {
    step(*mChannels[static_cast<size_t>(channelNum)]);
    return;
  }
  for (auto& channel : mChannels)
    step(*channel);
}

void FftProcessObj14::SetAnalysisWindow(int channelNum, int windowType)
{
  ForChannels(channelNum, [windowType](ProcessObjChannel& c) { c.SetAnalysisWindowType(windowType); });
}

void FftProcessObj14::SetSynthesisWindow(int channelNum, int windowType)
{
  ForChannels(channelNum, [windowType](ProcessObjChannel& c) { c.SetSynthesisWindowType(windowType); });
}

void FftProcessObj14::SetKeepSynthesisEnergy(int channelNum, bool flag)
{
  ForChannels(channelNum, [flag](ProcessObjChannel& c) { c.SetKeepSynthesisEnergy(flag); });
}

void FftProcessObj14::SetSkipFft(int channelNum, bool flag)
{
  ForChannels(channelNum, [flag](ProcessObjChannel& c) { c.SetSkipFft(flag); });
}

bool FftProcessObj14::Process(const std::vector<WDL_TypedBuf<double>>& inputs,
                              const std::vector<WDL_TypedBuf<double>>& scInputs,
                              std::vector<WDL_TypedBuf<double>>* outputs)
{
  // The inputs are appended as they are; only a block of silence needs
  // buffers of its own.
  const std::vector<WDL_TypedBuf<double>>* fed = &inputs;
  if (inputs.empty() && outputs)
  {
    ReserveLocalInputs(outputs->size());
    for (size_t i = 0; i < outputs->size(); ++i)
    {
      mLocalInputs[i].Resize((*outputs)[i].GetSize());
      mLocalInputs[i].Zero();
    }
    fed = &mLocalInputs;
  }

  AddSamples(*fed, scInputs);
  RunFrameLoop(outputs != nullptr);

  if (!outputs)
    return true;
  const int numSamples = fed->empty() ? 0 : (*fed)[0].GetSize();
  if (GetOutputSamples(outputs, numSamples))
    return true;
  for (WDL_TypedBuf<double>& out : *outputs)
    out.Zero();
  return false;
}

void FftProcessObj14::AddSamples(const std::vector<WDL_TypedBuf<double>>& inputs,
                                 const std::vector<WDL_TypedBuf<double>>& scInputs)
{
  const int count = static_cast<int>(mChannels.size());
  for (size_t i = 0; i < inputs.size() && static_cast<int>(i) < count; ++i)
    mChannels[i]->AddSamples(inputs[i]);
  const int firstSc = count - mNumScInputs;
  for (size_t i = 0; i < scInputs.size(); ++i)
  {
    const int channel = firstSc + static_cast<int>(i);
    if (channel >= 0 && channel < count)
      mChannels[static_cast<size_t>(channel)]->AddSamples(scInputs[i]);
  }
}

void FftProcessObj14::AddSamples(int startChannel, const std::vector<WDL_TypedBuf<double>>& buffers)
{
  const int count = static_cast<int>(mChannels.size());
  for (size_t i = 0; i < buffers.size(); ++i)
  {
    const int channel = startChannel + static_cast<int>(i);
    if (channel >= 0 && channel < count)
      mChannels[static_cast<size_t>(channel)]->AddSamples(buffers[i]);
  }
}

bool FftProcessObj14::GetOutputSamples(std::vector<WDL_TypedBuf<double>>* outputs, int numSamples)
{
  bool ok = true;
  if (!outputs)
    return ok;
  const int mainChannels = static_cast<int>(mChannels.size()) - mNumScInputs;
  for (int i = 0; i < mainChannels && i < static_cast<int>(outputs->size()); ++i)
  {
    const bool taken = mChannels[static_cast<size_t>(i)]->GetOutputSamples(numSamples,
                                                                           &(*outputs)[static_cast<size_t>(i)]);
    ok = ok && taken;
  }
  return ok;
}

void FftProcessObj14::ReserveLocalInputs(size_t count)
{
  mLocalInputs.resize(count);
  for (WDL_TypedBuf<double>& buf : mLocalInputs)
    buf.Reserve(ProcessObjChannel::kReservedBlockSize);
}

ProcessObjChannel* FftProcessObj14::GetChannel(int index) const
{
  if (index < 0 || index >= static_cast<int>(mChannels.size()))
    return nullptr;
  return mChannels[static_cast<size_t>(index)].get();
}

void FftProcessObj14::RunFrameLoop(bool resynthesise)
{
  if (mChannels.empty())
    return;
  ProcessObjChannel& first = *mChannels.front();
  // Without a frame length no cycle would consume anything.
  if (first.GetBufferSize() < 1)
    return;

  // Every step runs over all channels, last to first, so that side-chain
  // channels (at the end) finish a stage before the main channels whose
  // hooks see their buffers.
  auto each = [this](void (ProcessObjChannel::*step)()) {
    for (size_t i = mChannels.size(); i-- > 0;)
      (mChannels[i].get()->*step)();
  };

  while (first.GetInputSampleCount() >= 2 * first.GetBufferSize() - first.GetShift())
  {
    bool wrapped = false;
    while (!wrapped)
    {
      each(&ProcessObjChannel::TakeFrame);
      each(&ProcessObjChannel::ApplyAnalysisWindow);
      each(&ProcessObjChannel::ForwardTransform);
      each(&ProcessObjChannel::CallSpectralHook);
      if (resynthesise)
      {
        each(&ProcessObjChannel::InverseTransform);
        each(&ProcessObjChannel::ApplySynthesisWindow);
        each(&ProcessObjChannel::OverlapAdd);
      }
      // Channel 0 is visited last and decides.
      for (size_t i = mChannels.size(); i-- > 0;)
        wrapped = mChannels[i]->Advance();
    }
    if (resynthesise)
      each(&ProcessObjChannel::ConsumeAndFlush);
    else
      each(&ProcessObjChannel::ConsumeInput);
  }
}
