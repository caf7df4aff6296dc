// A host for tests: one effect made through the bundle's own entry points,
// with a record of everything the effect tells the host.
#pragma once

#include "acf/acf.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

class TestHost
{
public:
  struct Event
  {
    std::string kind; // "begin", "value", "end"
    std::string id;
    double value;
    std::thread::id thread;
  };

  explicit TestHost(bool stereo = true, double sampleRate = 44100.0);
  ~TestHost();

  AcfEffect* Effect() { return mEffect; }
  const AcfEffectFactory* Factory() { return mFactory; }
  class Crest* Plug();

  // Renders frames of the given channels (one vector per channel, equal
  // lengths) in blocks of blockSize; returns the outputs.
  std::vector<std::vector<float>> Render(const std::vector<std::vector<float>>& in, int blockSize = 512);
  AcfResult Update(const char* id, double normalized) { return mFactory->updateParameter(mEffect, id, normalized); }
  double Normalized(const char* id);
  // One editor tick, which also hands the host what the effect queued for it.
  AcfResult Idle() { return mFactory->editorIdle(mEffect); }

  std::vector<unsigned char> GetChunk();
  AcfResult SetChunk(const std::vector<unsigned char>& data, uint32_t chunkId = ACF_FOURCC('h', 'f', 'o', 'n'));
  int Compare(const std::vector<unsigned char>& data, uint32_t chunkId = ACF_FOURCC('h', 'f', 'o', 'n'));

  std::vector<Event> events;
  // Called inside each host callback, on the effect's calling thread.
  std::function<void(const Event&)> onEvent;
  bool record = true; // a host that allocates in its callbacks would spoil allocation counts
  bool playing = false;
  bool hasTransport = true;

private:
  static void Begin(void* user, const char* id);
  static void Value(void* user, const char* id, double v);
  static void End(void* user, const char* id);
  static int32_t Time(void* user, AcfTimeInfo* info);

  const AcfEffectFactory* mFactory = nullptr;
  AcfEffect* mEffect = nullptr;
  int mChannels;
};

// Parameter values of a chunk, in index order.
std::vector<double> ChunkValues(const std::vector<unsigned char>& data);
std::vector<unsigned char> MakeChunk(const std::vector<double>& values);
