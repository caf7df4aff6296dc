#include "framework/IPlugExporter.h"

#include "framework/CopyText.h"
#include "framework/IGraphics.h"
#include "framework/IParam.h"
#include "framework/SameBits.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using Notification = HostNotificationQueue::Notification;

namespace
{
// Whether text (past the number) is only blanks and, perhaps, the unit.
bool OnlyUnitLeft(const char* rest, const char* unit)
{
  while (std::isspace(static_cast<unsigned char>(*rest)))
    ++rest;
  const size_t n = std::strlen(unit);
  if (n > 0 && std::strncmp(rest, unit, n) == 0)
    rest += n;
  while (std::isspace(static_cast<unsigned char>(*rest)))
    ++rest;
  return *rest == '\0';
}

bool SameTextIgnoringCase(const char* a, const char* b)
{
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

bool ParseNumber(const char* text, const char* unit, double* value)
{
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || !std::isfinite(v) || !OnlyUnitLeft(end, unit))
    return false;
  *value = v;
  return true;
}
} // namespace

IPlugExporter::IPlugExporter(IPlugBase* plug, int nIn, int nOut) : mPlug(plug), mNIn(nIn), mNOut(nOut)
{
  mPlug->SetHost(this);
  mPlug->SetConnectedChannels(nIn, nOut);
  const int nBufs = std::max({nIn, nOut, 1});
  const auto frames = static_cast<size_t>(IPlugBase::kMaxBlockFrames);
  mInFloat.assign(static_cast<size_t>(nBufs), std::vector<float>(frames));
  std::vector<double*> buffers;
  IPlugBase::MakeBlockBuffers(2 * nBufs, &mBlockStorage, &buffers);
  mInPtrs.assign(buffers.begin(), buffers.begin() + nBufs);
  mOutPtrs.assign(buffers.begin() + nBufs, buffers.end());
  ByteChunk state;
  mPlug->SerializeState(&state);
  mStateBytes = static_cast<size_t>(state.Size());
}

IPlugExporter::~IPlugExporter()
{
  // Nothing of the plug-in's teardown reaches a host that is going away.
  mPlug->SetHost(nullptr);
}

bool IPlugExporter::IsUsableSampleRate(double sampleRate) { return sampleRate >= 1000.0 && sampleRate <= 768000.0; }

bool IPlugExporter::SetSampleRate(double sampleRate)
{
  if (!IsUsableSampleRate(sampleRate))
    return false;
  mPlug->SetSampleRate(sampleRate);
  RequestReset();
  return true;
}

// --- Parameters ---

double IPlugExporter::GetNormalized(int idx) const
{
  const IParam* p = Param(idx);
  return p ? p->GetNormalized() : 0.0;
}

bool IPlugExporter::SetHostValue(int idx, double normalized)
{
  IParam* p = mPlug->GetParam(idx);
  if (!p || !std::isfinite(normalized) || p->GetIgnoreHostChanges())
    return false;
  p->SetNormalized(std::clamp(normalized, 0.0, 1.0));
  mPlug->OnParamChange(idx);
  if (IGraphics* g = mPlug->GetGUI())
    g->SetParameterFromPlug(idx, p->GetNormalized(), true);
  return true;
}

bool IPlugExporter::SetHostPlainValue(int idx, double plain)
{
  const IParam* p = Param(idx);
  if (!p || !std::isfinite(plain))
    return false;
  return SetHostValue(idx, p->ToNormalized(std::clamp(plain, p->GetMin(), p->GetMax())));
}

bool IPlugExporter::FormatValue(int idx, double plain, bool withUnit, char* text, size_t size) const
{
  const IParam* p = Param(idx);
  if (!p || !std::isfinite(plain) || !text || size == 0)
    return false;
  const double v = std::clamp(plain, p->GetMin(), p->GetMax());
  for (int i = 0; i < p->NDisplayTexts(); ++i)
    if (p->GetDisplayText(i).first == static_cast<int>(v))
    {
      CopyText(text, size, p->GetDisplayText(i).second.c_str());
      return true;
    }
  char number[64];
  p->GetDisplayForHost(v, number, sizeof number);
  const char* label = withUnit ? p->GetLabelForHost() : "";
  std::snprintf(text, size, "%s%s%s", number, *label ? " " : "", label);
  return true;
}

bool IPlugExporter::ParseValue(int idx, const char* text, double* plain) const
{
  const IParam* p = Param(idx);
  if (!p || !text)
    return false;
  for (int i = 0; i < p->NDisplayTexts(); ++i)
    if (SameTextIgnoringCase(text, p->GetDisplayText(i).second.c_str()))
    {
      *plain = p->GetDisplayText(i).first;
      return true;
    }
  double v = 0.0;
  if (!ParseNumber(text, p->GetLabelForHost(), &v))
    return false;
  *plain = std::clamp(v, p->GetMin(), p->GetMax());
  return true;
}

bool IPlugExporter::ParseBypass(const char* text, double* value)
{
  if (!text)
    return false;
  const bool on = SameTextIgnoringCase(text, "on");
  double v = 0.0;
  if (!on && !SameTextIgnoringCase(text, "off") && !ParseNumber(text, "", &v))
    return false;
  *value = on || v >= 0.5 ? 1.0 : 0.0;
  return true;
}

// --- Audio ---

void IPlugExporter::Process(const float* const* inputs, float* const* outputs, uint32_t begin, uint32_t end)
{
  if (mResetPending.exchange(false, std::memory_order_acquire))
    mPlug->Reset();
  while (begin < end)
  {
    const int n = static_cast<int>(std::min<uint32_t>(end - begin, IPlugBase::kMaxBlockFrames));
    ProcessPiece(inputs, outputs, begin, n);
    begin += static_cast<uint32_t>(n);
  }
}

void IPlugExporter::ProcessPiece(const float* const* inputs, float* const* outputs, uint32_t offset, int n)
{
  const auto count = static_cast<size_t>(n);
  for (int c = 0; c < mNIn; ++c)
  {
    float* keep = mInFloat[static_cast<size_t>(c)].data();
    double* d = mInPtrs[static_cast<size_t>(c)];
    std::memcpy(keep, inputs[c] + offset, sizeof(float) * count);
    for (size_t i = 0; i < count; ++i)
      d[i] = keep[i];
  }

  const bool bypass = IsBypassed();
  if (!bypass)
    mPlug->ProcessBlock(mInPtrs.data(), mOutPtrs.data(), n);

  // An output sample that is still the converted input goes back as the
  // host's own float (bit for bit even for signalling NaNs, which a round
  // trip through double would quiet), taken from the copy: the host may
  // have handed an input buffer as an output.
  for (int c = 0; c < mNOut; ++c)
  {
    float* o = outputs[c] + offset;
    if (c >= mNIn)
    {
      std::memset(o, 0, sizeof(float) * count);
      continue;
    }
    const float* keep = mInFloat[static_cast<size_t>(c)].data();
    if (bypass)
    {
      std::memcpy(o, keep, sizeof(float) * count);
      continue;
    }
    const double* d = mOutPtrs[static_cast<size_t>(c)];
    const double* in = mInPtrs[static_cast<size_t>(c)];
    // The usual case, a whole piece passed through, in one comparison.
    if (std::memcmp(d, in, sizeof(double) * count) == 0)
    {
      std::memcpy(o, keep, sizeof(float) * count);
      continue;
    }
    for (size_t i = 0; i < count; ++i)
      o[i] = SameBits(d[i], in[i]) ? keep[i] : static_cast<float>(d[i]);
  }

  if (mTime.mTransportIsRunning && mTime.mSamplePos >= 0.0)
    mTime.mSamplePos += n;
}

void IPlugExporter::GetTime(ITimeInfo* info) { *info = mTime; }

// --- State ---

bool IPlugExporter::SaveState(ByteChunk* chunk) { return mPlug->SerializeState(chunk); }

bool IPlugExporter::RestoreState(const void* data, size_t size, bool wholeOnly)
{
  if (!data || size > kMaxStateBytes || (wholeOnly && size < mStateBytes))
    return false;
  ByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  mPlug->UnserializeState(&chunk, 0);
  mPlug->RedrawParamControls();
  return true;
}

bool IPlugExporter::StateEquals(const void* data, size_t size)
{
  return mPlug->CompareState(static_cast<const uint8_t*>(data), static_cast<int>(std::min(size, kMaxStateBytes)), 0);
}

// --- Editor ---

bool IPlugExporter::OpenEditor(uintptr_t parent)
{
  IGraphics* g = Editor();
  return g && g->OpenWindow(parent);
}

void IPlugExporter::CloseEditor()
{
  if (IGraphics* g = Editor())
    g->CloseWindow();
}

bool IPlugExporter::IdleEditor()
{
  IGraphics* g = Editor();
  if (!g)
    return false;
  // Without a window it still draws, so that snapshots and GL pictures stay current.
  g->OnIdle();
  return g->IsWindowOpen();
}

bool IPlugExporter::EditorSize(int* width, int* height)
{
  IGraphics* g = Editor();
  if (!g)
    return false;
  WDL_MutexLock editor(&g->GetEditorMutex());
  g->SyncWithPlug();
  *width = g->Width();
  *height = g->Height();
  return true;
}

// --- Notifications ---

void IPlugExporter::Notify(Notification::Kind kind, int idx, double value, bool echo)
{
  Notification n;
  n.kind = kind;
  n.idx = idx;
  n.value = value;
  n.echo = echo;
  mNotifications.Push(n);
}

void IPlugExporter::BeginInformHostOfParamChange(int idx) { Notify(Notification::kBegin, idx); }

void IPlugExporter::InformHostOfParamChange(int idx, double normalized)
{
  Notify(Notification::kValue, idx, normalized);
}

void IPlugExporter::EndInformHostOfParamChange(int idx) { Notify(Notification::kEnd, idx); }

void IPlugExporter::EchoParamToHost(int idx, double normalized)
{
  Notify(Notification::kValue, idx, normalized, true);
}

void IPlugExporter::ResizeGraphics(int w, int h)
{
  Notification n;
  n.kind = Notification::kResize;
  n.width = w;
  n.height = h;
  mNotifications.Push(n);
}

void IPlugExporter::DeliverNotifications(HostSink& sink)
{
  Notification n;
  while (mNotifications.Pop(&n))
  {
    if (n.kind != Notification::kResize && !Param(n.idx))
      continue;
    switch (n.kind)
    {
      case Notification::kBegin:
        sink.BeginEdit(n.idx);
        break;
      case Notification::kValue:
        if (std::isfinite(n.value))
          sink.SetValue(n.idx, std::clamp(n.value, 0.0, 1.0), n.echo);
        break;
      case Notification::kEnd:
        sink.EndEdit(n.idx);
        break;
      case Notification::kResize:
        sink.Resized(n.width, n.height);
        break;
    }
  }
}
