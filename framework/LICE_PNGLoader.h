// Reads PNG files into LICE pictures (any PNG colour type and depth).
#pragma once

class LICE_MemBitmap;

class LICE_PNGLoader
{
public:
  // A new picture, or null when the file is missing or no valid PNG.
  static LICE_MemBitmap* Load(const char* path);
};
