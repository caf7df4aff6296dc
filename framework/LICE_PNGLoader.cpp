#include "framework/LICE_PNGLoader.h"

#include "framework/LICE_MemBitmap.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <memory>

LICE_MemBitmap* LICE_PNGLoader::Load(const char* path)
{
  if (!path || !*path)
    return nullptr;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path))
    return nullptr;
  if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 65536)
  {
    png_image_free(&image);
    return nullptr;
  }
  // A LICE pixel is A << 24 | R << 16 | G << 8 | B: in memory B, G, R, A on
  // little-endian machines and A, R, G, B on big-endian ones.
  const uint32_t probe = 1;
  image.format = *reinterpret_cast<const uint8_t*>(&probe) == 1 ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
  std::unique_ptr<LICE_MemBitmap> bitmap(
    new LICE_MemBitmap(static_cast<int>(image.width), static_cast<int>(image.height)));
  if (!png_image_finish_read(&image, nullptr, bitmap->getBits(), static_cast<png_int_32>(image.width * 4), nullptr))
  {
    png_image_free(&image);
    return nullptr;
  }
  return bitmap.release();
}
