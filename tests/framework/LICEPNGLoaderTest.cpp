// Reading PNG pictures into LICE pixels.
#include "framework/LICE_Blit.h"
#include "framework/LICE_MemBitmap.h"
#include "framework/LICE_PNGLoader.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace
{
std::string WriteRgbaPng(const uint8_t* rgba, int w, int h)
{
  char path[] = "/tmp/crest-png-XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0)
    close(fd);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGBA;
  png_image_write_to_file(&image, path, 0, rgba, w * 4, nullptr);
  return path;
}
} // namespace

TEST(LICEPNGLoader, ReadsPixelsTopRowFirstAsLicePixels)
{
  // 2 x 2: red, green / blue half transparent, white.
  const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 128, 255, 255, 255, 255};
  const std::string path = WriteRgbaPng(rgba, 2, 2);
  std::unique_ptr<LICE_MemBitmap> b(LICE_PNGLoader::Load(path.c_str()));
  std::remove(path.c_str());
  ASSERT_TRUE(b);
  EXPECT_EQ(b->getWidth(), 2);
  EXPECT_EQ(b->getHeight(), 2);
  EXPECT_EQ(b->getBits()[0], LICE_RGBA(255, 0, 0, 255));
  EXPECT_EQ(b->getBits()[1], LICE_RGBA(0, 255, 0, 255));
  EXPECT_EQ(b->getBits()[2], LICE_RGBA(0, 0, 255, 128));
  EXPECT_EQ(b->getBits()[3], LICE_RGBA(255, 255, 255, 255));
}

TEST(LICEPNGLoader, RefusesMissingAndBrokenFiles)
{
  EXPECT_EQ(LICE_PNGLoader::Load("/nonexistent/picture.png"), nullptr);
  EXPECT_EQ(LICE_PNGLoader::Load(""), nullptr);
  EXPECT_EQ(LICE_PNGLoader::Load(nullptr), nullptr);
  char path[] = "/tmp/crest-notpng-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "not a png at all", 16), 16);
  close(fd);
  EXPECT_EQ(LICE_PNGLoader::Load(path), nullptr);
  std::remove(path);
}
