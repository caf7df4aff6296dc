#include "framework/IResources.h"

#include "framework/LICE_MemBitmap.h"
#include "framework/LICE_PNGLoader.h"

#include <dlfcn.h>

#include <fstream>
#include <iterator>
#include <mutex>

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

// What the process has loaded, by path. Only weak references are kept: the
// holders own the data, so the last one frees it and an unloaded module
// leaves nothing behind.
template <class T>
class SharedByPath
{
public:
  template <class Load>
  std::shared_ptr<T> Get(const std::string& path, Load load)
  {
    std::lock_guard<std::mutex> lock(mMutex);
    auto it = mEntries.find(path);
    if (it != mEntries.end())
      if (std::shared_ptr<T> alive = it->second.lock())
        return alive;
    for (auto e = mEntries.begin(); e != mEntries.end();)
      e = e->second.expired() ? mEntries.erase(e) : std::next(e);
    std::shared_ptr<T> loaded = load();
    if (loaded)
      mEntries[path] = loaded;
    return loaded;
  }

  int NumAlive()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    int n = 0;
    for (const auto& e : mEntries)
      n += e.second.expired() ? 0 : 1;
    return n;
  }

private:
  std::mutex mMutex;
  std::map<std::string, std::weak_ptr<T>> mEntries;
};

SharedByPath<LICE_MemBitmap>& Pictures()
{
  static SharedByPath<LICE_MemBitmap> pictures;
  return pictures;
}

SharedByPath<const std::vector<unsigned char>>& Files()
{
  static SharedByPath<const std::vector<unsigned char>> files;
  return files;
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
    it = mPictures.emplace(id, SharedPicture(Path(path))).first;
  return it->second.get();
}

std::shared_ptr<LICE_MemBitmap> IResources::SharedPicture(const std::string& path)
{
  return Pictures().Get(path, [&] { return std::shared_ptr<LICE_MemBitmap>(LICE_PNGLoader::Load(path.c_str())); });
}

std::shared_ptr<const std::vector<unsigned char>> IResources::SharedFile(const std::string& path)
{
  return Files().Get(path, [&]() -> std::shared_ptr<const std::vector<unsigned char>> {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
      return nullptr;
    const std::streamoff size = in.tellg();
    if (size < 0)
      return nullptr;
    auto bytes = std::make_shared<std::vector<unsigned char>>(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes->data()), size))
      return nullptr;
    return bytes;
  });
}

int IResources::NumShared() { return Pictures().NumAlive() + Files().NumAlive(); }
