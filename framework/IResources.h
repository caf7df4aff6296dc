// Where the editor's files come from and the pictures loaded from them: the
// bundle's Contents/Resources unless a default folder was set, and each
// picture loaded once per id.
#pragma once

#include <map>
#include <memory>
#include <string>

class LICE_MemBitmap;

class IResources
{
public:
  // The folder of every editor made after this call; empty or null means the
  // bundle's.
  static void SetDefaultDir(const char* dir);

  IResources();
  ~IResources();

  const std::string& GetDir() const { return mDir; }
  std::string Path(const char* file) const;
  // The picture of id, loaded from path on first use; null when it did not
  // load (and it is not tried again). Owned here.
  LICE_MemBitmap* LoadPicture(int id, const char* path);

private:
  std::string mDir;
  std::map<int, std::unique_ptr<LICE_MemBitmap>> mPictures;
};
