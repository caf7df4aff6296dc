// Under AddressSanitizer: keeps Mesa's GL driver loaded to the end of the
// test process. Mesa unloads it when the last display using it closes, and
// LeakSanitizer, reporting at exit, could then not name the module of what
// the driver keeps, so tests/lsan.supp could not match it. (Full unwinding
// at malloc, which would name the callers instead, deadlocks in libgcc's
// unwinder once llvmpipe has registered its compiled code.)
#if defined(__SANITIZE_ADDRESS__)

#include "graph/GLContext3.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace
{
int PinDriver(dl_phdr_info* info, size_t, void*)
{
  const char* name = info->dlpi_name;
  if (name && (std::strstr(name, "/dri/") || std::strstr(name, "libgallium")))
    dlopen(name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}

class GLDriverPin : public testing::Environment
{
public:
  void SetUp() override
  {
    // A context loads the driver; without a display there is none to pin.
    GLContext3 context("GLDriverPin", nullptr);
    if (context.IsValid())
      dl_iterate_phdr(PinDriver, nullptr);
  }
};

testing::Environment* const gPin = testing::AddGlobalTestEnvironment(new GLDriverPin);
} // namespace

#endif
