// Text between the plug-in's UTF-8 and the UTF-16 fields of VST3's
// records. Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Vst3Text
{
public:
  // Copies text into a field of n code units, cut where it must be and
  // always terminated.
  static void ToUtf16(const char* text, int16_t* field, size_t n);
  // Reads a terminated field of at most n code units.
  static std::string FromUtf16(const int16_t* field, size_t n);
};
