#include "tests/support/TestHost.h"

#include "framework/IPlugAAX.h"
#include "plugin/Crest.h"

#include <algorithm>
#include <cstring>

struct AcfEffect
{
  IPlugAAX* plug;
};

TestHost::TestHost(bool stereo, double sampleRate) : mChannels(stereo ? 2 : 1)
{
  const void* factory = nullptr;
  ACFGetClassFactory("effect", &factory);
  mFactory = static_cast<const AcfEffectFactory*>(factory);
  AcfHostCallbacks host{};
  host.user = this;
  host.beginEdit = &Begin;
  host.setValue = &Value;
  host.endEdit = &End;
  host.getTimeInfo = &Time;
  mFactory->create(stereo ? 1 : 0, &host, &mEffect);
  mFactory->initialize(mEffect, sampleRate);
}

TestHost::~TestHost() { mFactory->destroy(mEffect); }

Crest* TestHost::Plug() { return static_cast<Crest*>(mEffect->plug->Plug()); }

std::vector<std::vector<float>> TestHost::Render(const std::vector<std::vector<float>>& in, int blockSize)
{
  const size_t frames = in.empty() ? 0 : in[0].size();
  std::vector<std::vector<float>> out(static_cast<size_t>(mChannels), std::vector<float>(frames));
  for (size_t pos = 0; pos < frames; pos += static_cast<size_t>(blockSize))
  {
    const int n = static_cast<int>(std::min(frames - pos, static_cast<size_t>(blockSize)));
    const float* ins[2] = {nullptr, nullptr};
    float* outs[2] = {nullptr, nullptr};
    for (int c = 0; c < mChannels; ++c)
    {
      ins[c] = in[static_cast<size_t>(c)].data() + pos;
      outs[c] = out[static_cast<size_t>(c)].data() + pos;
    }
    mFactory->render(mEffect, ins, outs, n);
  }
  return out;
}

double TestHost::Normalized(const char* id)
{
  double v = -1.0;
  mFactory->getParameter(mEffect, id, &v);
  return v;
}

std::vector<unsigned char> TestHost::GetChunk()
{
  std::vector<unsigned char> record(sizeof(AcfChunkHeader) + 4096);
  auto* header = reinterpret_cast<AcfChunkHeader*>(record.data());
  if (mFactory->getChunk(mEffect, ACF_FOURCC('h', 'f', 'o', 'n'), header, 4096) != ACF_SUCCESS)
    return {};
  const auto* data = record.data() + sizeof(AcfChunkHeader);
  return std::vector<unsigned char>(data, data + header->size);
}

static std::vector<unsigned char> Record(const std::vector<unsigned char>& data, uint32_t chunkId)
{
  std::vector<unsigned char> record(sizeof(AcfChunkHeader) + data.size());
  auto* header = reinterpret_cast<AcfChunkHeader*>(record.data());
  header->size = static_cast<int32_t>(data.size());
  header->chunkId = chunkId;
  if (!data.empty())
    std::memcpy(record.data() + sizeof(AcfChunkHeader), data.data(), data.size());
  return record;
}

AcfResult TestHost::SetChunk(const std::vector<unsigned char>& data, uint32_t chunkId)
{
  auto record = Record(data, chunkId);
  return mFactory->setChunk(mEffect, chunkId, reinterpret_cast<AcfChunkHeader*>(record.data()));
}

int TestHost::Compare(const std::vector<unsigned char>& data, uint32_t chunkId)
{
  auto record = Record(data, chunkId);
  int32_t equal = -1;
  mFactory->compareActiveChunk(mEffect, reinterpret_cast<AcfChunkHeader*>(record.data()), &equal);
  return equal;
}

static void Record(void* user, const char* kind, const char* id, double v)
{
  auto* host = static_cast<TestHost*>(user);
  const TestHost::Event event{kind, id, v, std::this_thread::get_id()};
  if (host->onEvent)
    host->onEvent(event);
  if (host->record)
    host->events.push_back(event);
}

void TestHost::Begin(void* user, const char* id) { Record(user, "begin", id, 0.0); }
void TestHost::Value(void* user, const char* id, double v) { Record(user, "value", id, v); }
void TestHost::End(void* user, const char* id) { Record(user, "end", id, 0.0); }

int32_t TestHost::Time(void* user, AcfTimeInfo* info)
{
  auto* host = static_cast<TestHost*>(user);
  if (!host->hasTransport)
    return 0;
  *info = AcfTimeInfo{120.0, 0.0, 0.0, 0.0, 4, 4, host->playing ? 1 : 0};
  return 1;
}

std::vector<double> ChunkValues(const std::vector<unsigned char>& data)
{
  std::vector<double> values(data.size() / 8);
  if (!values.empty())
    std::memcpy(values.data(), data.data(), values.size() * 8);
  return values;
}

std::vector<unsigned char> MakeChunk(const std::vector<double>& values)
{
  std::vector<unsigned char> data(values.size() * 8);
  if (!values.empty())
    std::memcpy(data.data(), values.data(), data.size());
  return data;
}
