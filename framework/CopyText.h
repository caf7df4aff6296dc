// Text into the C interface's fixed-size fields: always terminated, cut to
// fit, a null source written as empty.
#pragma once

#include <cstddef>
#include <cstdio>

inline void CopyText(char* dst, std::size_t size, const char* src) { std::snprintf(dst, size, "%s", src ? src : ""); }
