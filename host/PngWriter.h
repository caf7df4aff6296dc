#pragma once

#include <cstdint>
#include <string>

// Writes 8-bit RGBA pictures as PNG files through libpng.
class PngWriter
{
public:
  // `rgba` holds top-down rows of width * 4 bytes.
  static void writeRgba(const std::string& path, const uint8_t* rgba, int width, int height);
};
