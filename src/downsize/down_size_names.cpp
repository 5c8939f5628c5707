#include "downsize/down_size_names.h"

namespace lumbra {

std::string FolderPart(std::string_view path) {
  const auto separator = path.find_last_of("\\/");
  if (separator != std::string_view::npos) return std::string(path.substr(0, separator + 1));
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  return "";
}

std::string OutputNameOf(std::string_view name) {
  if (name.ends_with("JPG")) return std::string(name);
  const std::size_t folder_length = FolderPart(name).size();
  const auto dot = name.find_last_of('.');
  const std::string_view stem =
      dot != std::string_view::npos && dot >= folder_length ? name.substr(0, dot) : name;
  return std::string(stem) + ".JPG";
}

}  // namespace lumbra
