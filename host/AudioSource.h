#pragma once

#include <cstdint>
#include <string>

// Interleaved float frames from a file or a generator.
class AudioSource
{
public:
  virtual ~AudioSource() = default;

  virtual int channels() const = 0;
  virtual double sampleRate() const = 0;
  virtual int64_t frames() const = 0;
  virtual std::string label() const = 0;
  // The width of the source's integer samples (8, 16, 24, 32), or 0 when
  // they are floats or made up.
  virtual int pcmBits() const { return 0; }

  // Reads up to maxFrames frames; fewer (0 at the end) when the source runs out.
  virtual int64_t read(float* interleaved, int64_t maxFrames) = 0;
  // Goes back to the first frame; false when the source cannot.
  virtual bool rewind() = 0;
};
