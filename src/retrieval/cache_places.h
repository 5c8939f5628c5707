#pragma once
// Where the controls keep the files they fetch, and the local file operations on them.
// Every name that comes from the server or from site files is joined to its folder here, and
// only here, so no such name can reach outside its folder.
#include <string>
#include <string_view>

namespace lumbra {

class FileSystem;

// A local path, or the reason a name was refused.
struct CachePath {
  std::string path;
  std::string refusal;  // "" when the path is usable

  explicit operator bool() const { return refusal.empty(); }
};

// folder + "\" + name. A name with a path separator, a drive prefix, or that is "." or ".." is
// refused with a message naming it and the folder.
CachePath JoinCacheName(std::string_view folder, std::string_view name);

// The fixed places below the production application's data folder and the system folder.
class CachePlaces {
 public:
  // system_folder ends with a backslash; production_data_folder does not.
  CachePlaces(std::string system_folder, std::string production_data_folder);

  // SystemFolder + "ostrel.ini" (capture control: "fennic.ini").
  std::string SiteIni(std::string_view ini_name) const { return system_folder_ + std::string(ini_name); }
  CachePath Card(std::string_view card_name) const { return In("cards", card_name); }
  CachePath Link(std::string_view link_name) const { return In("links", link_name); }
  CachePath Bitmap(std::string_view bitmap_name) const { return In("bitmap", bitmap_name); }
  CachePath Handler(std::string_view handler_name) const { return In("handlers", handler_name); }
  // The single-card run's photograph.
  std::string SingleCardPhoto() const { return production_data_folder_ + "\\newphoto.jpg"; }
  // A batch record's photograph: number + ".jpg".
  CachePath BatchPhoto(std::string_view number) const;

  // The sub-folder itself ("cards", "links", "bitmap", "handlers").
  std::string Folder(std::string_view sub_folder) const;

 private:
  CachePath In(std::string_view sub_folder, std::string_view name) const;

  std::string system_folder_;
  std::string production_data_folder_;
};

// Makes `folder` the process's current folder; false when that fails, otherwise whether a file
// matching `name` is there.
bool FileInFolder(const FileSystem& files, std::string_view folder, std::string_view name);

// Deletes the file; every failure, a missing file included, is ignored.
void DeleteLocalFile(const FileSystem& files, std::string_view path);

}  // namespace lumbra
