#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "temp_root.h"

namespace lumbra {

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace lumbra
