// Growable string with printf-style formatting.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

class WDL_String
{
public:
  WDL_String() = default;
  explicit WDL_String(const char* s) { Set(s); }

  const char* Get() const { return mStr.c_str(); }
  int GetLength() const { return static_cast<int>(mStr.size()); }
  void Set(const char* s) { mStr = s ? s : ""; }
  void Append(const char* s)
  {
    if (s)
      mStr += s;
  }
  void SetFormatted(const char* fmt, ...) __attribute__((format(printf, 2, 3)))
  {
    va_list args;
    va_start(args, fmt);
    char buf[1024];
    vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    mStr = buf;
  }

private:
  std::string mStr;
};
