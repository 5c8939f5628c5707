#include "temp_root.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>
#include <string>

namespace lumbra::testing {

TempRoot::TempRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lumbra-base-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempRoot::~TempRoot() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempRoot::Write(const std::filesystem::path& relative, std::string_view content) const {
  const std::filesystem::path host = path_ / relative;
  std::filesystem::create_directories(host.parent_path());
  std::ofstream(host, std::ios::binary) << content;
  return host;
}

}  // namespace lumbra::testing
