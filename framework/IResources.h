// Where the editor's files come from and the pictures loaded from them: the
// bundle's Contents/Resources unless a default folder was set. A file is
// read (and a picture decoded) once per process and shared read-only by
// every editor that uses it, so many instances cost one copy; it is freed
// with its last holder. Any thread may load; the sharing takes a lock of
// its own, never one of the audio thread's.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

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
  // load (and it is not tried again). Held here; its pixels are shared with
  // other editors and must not be written.
  LICE_MemBitmap* LoadPicture(int id, const char* path);

  // The bytes of a file (a full path), read once per process; null when it
  // cannot be read. Shared: never written.
  static std::shared_ptr<const std::vector<unsigned char>> SharedFile(const std::string& path);
  // The decoded picture of a PNG file (a full path), or null.
  static std::shared_ptr<LICE_MemBitmap> SharedPicture(const std::string& path);
  // How many shared pictures and files are alive in this process.
  static int NumShared();

private:
  std::string mDir;
  std::map<int, std::shared_ptr<LICE_MemBitmap>> mPictures;
};
