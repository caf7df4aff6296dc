#include "framework/vst3/Vst3Text.h"

void Vst3Text::ToUtf16(const char* text, int16_t* field, size_t n)
{
  if (!field || n == 0)
    return;
  size_t out = 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text ? text : "");
  while (*s && out + 1 < n)
  {
    // Decodes one UTF-8 sequence; characters beyond the basic plane and
    // broken sequences become '?'.
    uint32_t c = *s++;
    int more = 0;
    if (c >= 0xF0)
    {
      more = 3;
      c &= 0x07;
    }
    else if (c >= 0xE0)
    {
      more = 2;
      c &= 0x0F;
    }
    else if (c >= 0xC0)
    {
      more = 1;
      c &= 0x1F;
    }
    else if (c >= 0x80)
      c = '?';
    for (; more > 0 && (*s & 0xC0) == 0x80; --more)
      c = (c << 6) | (*s++ & 0x3Fu);
    if (more > 0 || c > 0xFFFF)
      c = '?';
    field[out++] = static_cast<int16_t>(static_cast<uint16_t>(c));
  }
  field[out] = 0;
}

std::string Vst3Text::FromUtf16(const int16_t* field, size_t n)
{
  std::string text;
  for (size_t i = 0; field && i < n && field[i]; ++i)
  {
    const auto c = static_cast<uint16_t>(field[i]);
    if (c < 0x80)
      text += static_cast<char>(c);
    else if (c < 0x800)
    {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
      text += static_cast<char>(0xE0 | (c >> 12));
      text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}
