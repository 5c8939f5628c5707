#pragma once
// The file layer. Components build Windows-style paths ("C:\KX\cards\A.CDF", "name.ini",
// "/home/op/.local/share/lumbra/system\ostrel.ini"); this layer maps them onto the host:
//  - "\" and "/" are both separators;
//  - a leading drive letter "X:" maps to <root>/drive_x;
//  - a leading separator alone means the root of the current folder's drive (drive_c when the
//    current folder is a host path);
//  - a path that starts with "/" and is not below a drive folder is a host path as it stands;
//  - anything else is relative to the process-wide current folder.
// Names match without regard to case, component by component, when the exact spelling does not
// exist. A new file keeps the spelling it was given.
// Paths and names on this interface are component text (Windows-1252); host names are UTF-8.
// Host entries whose names the code page cannot spell are not matched case-insensitively and
// are not found by FindFirst.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace lumbra {

class FileSystem {
 public:
  explicit FileSystem(std::filesystem::path root);

  const std::filesystem::path& Root() const { return root_; }

  // The host path a Windows-style path stands for, resolved case-insensitively as far as
  // entries exist; the rest keeps its given spelling.
  std::filesystem::path HostPath(std::string_view path) const;

  // Process-wide current folder, shared by every FileSystem of the process, as on Windows.
  // Initially the host's working directory.
  static std::string CurrentFolder();
  bool SetCurrentFolder(std::string_view folder) const;

  // First entry whose name matches the last component ("*" and "?" wildcards, without regard
  // to case); returns the entry's name alone, as the platform's find does.
  std::optional<std::string> FindFirst(std::string_view pattern) const;

  bool Exists(std::string_view path) const;
  bool IsFolder(std::string_view path) const;
  std::optional<std::uint64_t> Size(std::string_view path) const;

  // Copies a file; with fail_if_exists, an existing target makes it fail.
  bool Copy(std::string_view from, std::string_view to, bool fail_if_exists) const;
  bool Delete(std::string_view path) const;
  // One level: the parent must exist.
  bool CreateFolder(std::string_view path) const;

  std::ifstream OpenForReading(std::string_view path) const;
  // Creates or truncates; an existing entry that matches without regard to case is overwritten.
  std::ofstream OpenForWriting(std::string_view path) const;

 private:
  std::filesystem::path root_;
};

}  // namespace lumbra
