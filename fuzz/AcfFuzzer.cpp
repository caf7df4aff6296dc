// libFuzzer harness for the bundle's C interface, as a hostile host would
// drive it: chunk restores and comparisons, value updates with arbitrary
// identifiers and values, and render calls with arbitrary block sizes and
// sample bits. The output of every accepted render must equal its input bit
// for bit; anything else (or a sanitizer report) is a finding.
#include "acf/acf.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const AcfEffectFactory* gFactory = nullptr;
// One effect per channel configuration for the whole run: making one costs
// far more than an input. Each input starts from the default state.
AcfEffect* gEffects[2] = {nullptr, nullptr};
std::vector<uint8_t> gDefaultChunk[2];

// Reads the fuzz input front to back; past its end everything reads 0.
class Input
{
public:
  Input(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
  bool Done() const { return mPos >= mSize; }
  uint8_t Byte() { return mPos < mSize ? mData[mPos++] : 0; }
  uint32_t U32()
  {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
      v = v << 8 | Byte();
    return v;
  }
  double Double()
  {
    uint64_t bits = static_cast<uint64_t>(U32()) << 32 | U32();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  std::string Text(size_t maxLen)
  {
    std::string s;
    const size_t n = Byte() % (maxLen + 1);
    for (size_t i = 0; i < n; ++i)
      s.push_back(static_cast<char>(Byte()));
    return s;
  }

private:
  const uint8_t* mData;
  size_t mSize;
  size_t mPos = 0;
};

// Identifiers: mostly near the real ones so that the values get exercised.
std::string Identifier(Input& in)
{
  const uint8_t kind = in.Byte();
  if (kind < 120)
    return std::to_string(kind % 13);
  if (kind < 130)
    return "MasterBypass";
  return in.Text(12);
}

void Check(bool ok, const char* what)
{
  if (!ok)
  {
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
  }
}

void Render(AcfEffect* e, Input& in, int channels)
{
  const uint32_t pick = in.U32();
  // Mostly valid sizes, sometimes the edges and beyond.
  const int32_t frames = (pick & 0x80000000u) ? static_cast<int32_t>(pick) : static_cast<int32_t>(pick % 1100);
  const size_t n = frames > 0 && frames <= 1100 ? static_cast<size_t>(frames) : 16;
  std::vector<std::vector<float>> ins(channels, std::vector<float>(n)), outs(channels, std::vector<float>(n, 0.0f));
  const uint8_t fill = in.Byte();
  for (auto& ch : ins)
    for (size_t i = 0; i < n; ++i)
    {
      // Runs of one value, noise, or raw bits (NaNs and infinities among them).
      uint32_t bits = (fill & 3) == 0   ? in.U32()
                      : (fill & 3) == 1 ? 0x3f000000u ^ (static_cast<uint32_t>(i) << 8)
                                        : 0;
      if ((fill & 3) == 2 && in.Byte() > 250)
        bits = 0x7fc00000u | in.Byte();
      std::memcpy(&ch[i], &bits, sizeof bits);
    }
  const float* ip[2] = {ins[0].data(), channels > 1 ? ins[1].data() : nullptr};
  float* op[2] = {outs[0].data(), channels > 1 ? outs[1].data() : nullptr};
  const AcfResult r = gFactory->render(e, ip, op, frames);
  const bool valid = frames >= 0 && frames <= ACF_MAX_BLOCK_FRAMES;
  Check((r == ACF_SUCCESS) == valid, "render accepted a bad block size or refused a good one");
  if (r == ACF_SUCCESS && frames > 0)
    for (int c = 0; c < channels; ++c)
      Check(std::memcmp(ins[c].data(), outs[c].data(), sizeof(float) * static_cast<size_t>(frames)) == 0,
            "output differs from input");
}

std::vector<uint8_t> Chunk(Input& in, uint32_t chunkId)
{
  const size_t size = in.Byte() % 120;
  std::vector<uint8_t> record(sizeof(AcfChunkHeader) + size);
  auto* h = reinterpret_cast<AcfChunkHeader*>(record.data());
  h->size = static_cast<int32_t>(size);
  h->chunkId = chunkId;
  const uint8_t mode = in.Byte();
  if (mode < 200)
  {
    // Whole values: the chunk holds doubles.
    for (size_t i = 0; i + 8 <= size; i += 8)
    {
      const double v = mode < 100 ? static_cast<double>(static_cast<int8_t>(in.Byte())) : in.Double();
      std::memcpy(record.data() + sizeof(AcfChunkHeader) + i, &v, sizeof v);
    }
  }
  else
    for (size_t i = 0; i < size; ++i)
      record[sizeof(AcfChunkHeader) + i] = in.Byte();
  // A lying size now and then.
  if (in.Byte() == 0xff)
    h->size = static_cast<int32_t>(in.U32());
  return record;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  const char* path = std::getenv("CREST_FUZZ_BUNDLE");
  if (!path)
    path = CREST_FUZZ_DEFAULT_BUNDLE;
  void* lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!lib)
  {
    std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
    std::exit(1);
  }
  using GetFactory = AcfResult (*)(const char*, const void**);
  using Startup = AcfResult (*)();
  auto startup = reinterpret_cast<Startup>(dlsym(lib, "ACFStartup"));
  auto getFactory = reinterpret_cast<GetFactory>(dlsym(lib, "ACFGetClassFactory"));
  const void* factory = nullptr;
  if (!startup || !getFactory || startup() != ACF_SUCCESS || getFactory("effect", &factory) != ACF_SUCCESS)
  {
    std::fprintf(stderr, "no effect factory in %s\n", path);
    std::exit(1);
  }
  gFactory = static_cast<const AcfEffectFactory*>(factory);
  for (int component = 0; component < 2; ++component)
  {
    AcfEffect*& e = gEffects[component];
    int32_t size = 0;
    uint32_t chunkId = 0;
    if (gFactory->create(component, nullptr, &e) != ACF_SUCCESS || gFactory->initialize(e, 44100.0) != ACF_SUCCESS ||
        gFactory->chunkIdByIndex(e, 0, &chunkId) != ACF_SUCCESS ||
        gFactory->chunkSize(e, chunkId, &size) != ACF_SUCCESS)
    {
      std::fprintf(stderr, "cannot make an effect\n");
      std::exit(1);
    }
    gDefaultChunk[component].resize(sizeof(AcfChunkHeader) + static_cast<size_t>(size));
    gFactory->getChunk(e, chunkId, reinterpret_cast<AcfChunkHeader*>(gDefaultChunk[component].data()), size);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  Input in(data, size);
  const int component = in.Byte() & 1;
  const int channels = component + 1;
  AcfEffect* e = gEffects[component];
  uint32_t chunkId = 0;
  gFactory->chunkIdByIndex(e, 0, &chunkId);
  Check(gFactory->setChunk(e, chunkId, reinterpret_cast<const AcfChunkHeader*>(gDefaultChunk[component].data())) ==
          ACF_SUCCESS,
        "default state refused");

  for (int step = 0; step < 64 && !in.Done(); ++step)
  {
    switch (in.Byte() % 5)
    {
      case 0:
      {
        auto record = Chunk(in, in.Byte() < 240 ? chunkId : in.U32());
        const auto* h = reinterpret_cast<const AcfChunkHeader*>(record.data());
        // The interface reads `size` bytes after the header: a lying size
        // is the host's fault, so only honest ones are handed in.
        if (h->size >= 0 && static_cast<size_t>(h->size) <= record.size() - sizeof(AcfChunkHeader))
        {
          gFactory->setChunk(e, h->chunkId, h);
          int32_t equal = -1;
          gFactory->compareActiveChunk(e, h, &equal);
        }
        break;
      }
      case 1:
      {
        const std::string id = Identifier(in);
        const double v = in.Byte() < 128 ? in.Byte() / 255.0 : in.Double();
        gFactory->updateParameter(e, id.c_str(), v);
        double got = -1.0;
        if (gFactory->getParameter(e, id.c_str(), &got) == ACF_SUCCESS)
          Check(got >= 0.0 && got <= 1.0, "normalized value out of 0..1");
        char text[ACF_NAME_SIZE];
        const int32_t textSize = 1 + in.Byte() % ACF_NAME_SIZE;
        if (gFactory->parameterDisplay(e, id.c_str(), text, textSize) == ACF_SUCCESS)
          Check(std::memchr(text, 0, static_cast<size_t>(textSize)) != nullptr, "display text not terminated");
        break;
      }
      case 2:
      case 3:
        Render(e, in, channels);
        break;
      case 4:
      {
        int32_t size = 0;
        if (gFactory->chunkSize(e, chunkId, &size) == ACF_SUCCESS)
        {
          std::vector<uint8_t> record(sizeof(AcfChunkHeader) + static_cast<size_t>(size));
          auto* h = reinterpret_cast<AcfChunkHeader*>(record.data());
          Check(gFactory->getChunk(e, chunkId, h, size) == ACF_SUCCESS, "get chunk failed");
          int32_t equal = 0;
          gFactory->compareActiveChunk(e, h, &equal);
          Check(equal == 1, "saved chunk differs from the active state");
        }
        break;
      }
    }
  }
  return 0;
}
