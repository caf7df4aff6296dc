#include "framework/vst3/Vst3Stream.h"

#include <algorithm>

bool Vst3Stream::ReadAll(v3_bstream** stream, size_t maxBytes, std::vector<uint8_t>* out)
{
  out->clear();
  if (!stream || !*stream)
    return false;
  uint8_t buffer[4096];
  for (;;)
  {
    // One byte past the limit tells an oversized record from a full one.
    const size_t room = maxBytes + 1 - out->size();
    const auto ask = static_cast<int32_t>(std::min(sizeof buffer, room));
    int32_t got = 0;
    if (v3_cpp_obj(stream)->read(stream, buffer, ask, &got) != V3_OK)
      return false;
    if (got <= 0)
      return true;
    if (got > ask)
      return false;
    out->insert(out->end(), buffer, buffer + got);
    if (out->size() > maxBytes)
      return false;
  }
}

bool Vst3Stream::WriteAll(v3_bstream** stream, const void* data, size_t size)
{
  if (!stream || !*stream)
    return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < size)
  {
    const auto ask = static_cast<int32_t>(std::min<size_t>(size - done, 1 << 20));
    int32_t put = 0;
    // The interface takes a non-const buffer; it only reads it.
    if (v3_cpp_obj(stream)->write(stream, const_cast<uint8_t*>(bytes + done), ask, &put) != V3_OK || put <= 0 ||
        put > ask)
      return false;
    done += static_cast<size_t>(put);
  }
  return true;
}
