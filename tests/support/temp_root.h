#pragma once
// A fresh workstation root in a temporary folder, removed again at the end of the test, and a
// way to fill it with files.
#include <filesystem>
#include <string_view>

namespace lumbra::testing {

class TempRoot {
 public:
  TempRoot();
  ~TempRoot();
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Writes a file below the root (creating its folders) and returns its host path.
  std::filesystem::path Write(const std::filesystem::path& relative, std::string_view content) const;

 private:
  std::filesystem::path path_;
};

}  // namespace lumbra::testing
