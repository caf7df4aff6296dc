#include "framework/IResources.h"

#include "framework/LICE_MemBitmap.h"
#include "framework/LICE_PNGLoader.h"

#include <dlfcn.h>

namespace
{
std::string& DefaultDir()
{
  static std::string dir;
  return dir;
}

// The bundle's Contents/Resources, found from the library that holds us:
// Contents/Linux/NAME.so -> Contents/Resources.
std::string BundleDir()
{
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&BundleDir), &info) || !info.dli_fname)
    return ".";
  std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return "../Resources";
  return path.substr(0, slash) + "/../Resources";
}
} // namespace

void IResources::SetDefaultDir(const char* dir) { DefaultDir() = dir ? dir : ""; }

IResources::IResources() : mDir(DefaultDir().empty() ? BundleDir() : DefaultDir()) {}

IResources::~IResources() = default;

std::string IResources::Path(const char* file) const { return mDir + "/" + (file ? file : ""); }

LICE_MemBitmap* IResources::LoadPicture(int id, const char* path)
{
  auto it = mPictures.find(id);
  if (it == mPictures.end())
    it = mPictures.emplace(id, std::unique_ptr<LICE_MemBitmap>(LICE_PNGLoader::Load(Path(path).c_str()))).first;
  return it->second.get();
}
