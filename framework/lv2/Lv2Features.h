// Looking up what a host offers in its LV2 feature list.
#pragma once

#include <lv2/core/lv2.h>

#include <cstring>

// The data of the feature named uri, or null when the host does not offer it.
inline const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (int i = 0; features && features[i]; ++i)
    if (std::strcmp(features[i]->URI, uri) == 0)
      return features[i]->data;
  return nullptr;
}
