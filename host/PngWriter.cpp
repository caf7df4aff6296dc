#include "PngWriter.h"

#include "HostError.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

void PngWriter::writeRgba(const std::string& path, const uint8_t* rgba, int width, int height)
{
  if (width <= 0 || height <= 0)
    throw HostError("cannot write " + path + ": empty picture");
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    throw HostError("cannot write " + path + ": " + std::strerror(errno));

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info)
  {
    png_destroy_write_struct(&png, nullptr);
    std::fclose(file);
    throw HostError("cannot write " + path + ": out of memory");
  }

  std::vector<png_const_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[y] = rgba + static_cast<std::size_t>(y) * width * 4;

  // libpng reports errors by longjmp; only its own C frames lie between here and there.
  if (setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    throw HostError("cannot write " + path + ": libpng failed");
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_rows(png, const_cast<png_bytepp>(rows.data()), static_cast<png_uint_32>(height));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);

  if (std::fclose(file) != 0)
    throw HostError("cannot write " + path + ": " + std::strerror(errno));
}
