#include "retrieval/cache_places.h"

#include "platform/base/files.h"

namespace lumbra {

CachePath JoinCacheName(std::string_view folder, std::string_view name) {
  const bool separator = name.find_first_of("\\/") != std::string_view::npos;
  const bool drive = name.size() >= 2 && name[1] == ':';
  if (separator || drive || name == "." || name == "..") {
    return {"", "The file name \"" + std::string(name) + "\" points outside the folder " + std::string(folder) +
                    "; nothing is fetched or deleted for it."};
  }
  std::string path(folder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return {path + std::string(name), ""};
}

CachePlaces::CachePlaces(std::string system_folder, std::string production_data_folder)
    : system_folder_(std::move(system_folder)), production_data_folder_(std::move(production_data_folder)) {}

std::string CachePlaces::Folder(std::string_view sub_folder) const {
  return production_data_folder_ + "\\" + std::string(sub_folder);
}

CachePath CachePlaces::In(std::string_view sub_folder, std::string_view name) const {
  return JoinCacheName(Folder(sub_folder), name);
}

CachePath CachePlaces::BatchPhoto(std::string_view number) const {
  return JoinCacheName(production_data_folder_, std::string(number) + ".jpg");
}

bool FileInFolder(const FileSystem& files, std::string_view folder, std::string_view name) {
  if (!files.SetCurrentFolder(folder)) return false;
  return files.FindFirst(name).has_value();
}

void DeleteLocalFile(const FileSystem& files, std::string_view path) { files.Delete(path); }

}  // namespace lumbra
