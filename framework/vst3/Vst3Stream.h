// Moves a whole record through a host's IBStream, which may move fewer
// bytes per call than asked (down to one). Any thread but the audio thread.
#pragma once

#include <travesty/bstream.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class Vst3Stream
{
public:
  // Reads to the stream's end. False when a read fails or the stream holds
  // more than maxBytes (nothing useful is left in out then).
  static bool ReadAll(v3_bstream** stream, size_t maxBytes, std::vector<uint8_t>* out);
  // False when the stream takes less than all of it.
  static bool WriteAll(v3_bstream** stream, const void* data, size_t size);
};
