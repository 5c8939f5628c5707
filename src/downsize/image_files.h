#pragma once
// The library's file access, with failures as library status codes. Names are Windows-style
// paths resolved through the file layer, so they match without regard to case.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "downsize/pixels.h"
#include "platform/base/files.h"

namespace lumbra {

// -8 empty name, -10 missing, -14 cannot be opened, -7 read failure, -9 empty file.
Decoded<std::vector<std::uint8_t>> ReadImageFile(const FileSystem& files, std::string_view name);

// A file about to be written. Open checks that the file may be written and prepares a
// temporary beside it; Commit puts the bytes in place in one step, so a reader (or a crash)
// never meets a half-written picture and a replaced file is never lost midway. A file not
// committed leaves nothing behind.
class OutputFile {
 public:
  // -8 empty name; -14 when the file is read-only or its folder cannot take a new file.
  static Decoded<std::optional<OutputFile>> Open(const FileSystem& files, std::string_view name);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // 1, or -5 when the bytes cannot be written.
  int Commit(std::span<const std::uint8_t> bytes);

 private:
  OutputFile(std::filesystem::path target, std::filesystem::path temporary, int descriptor);

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int descriptor_;
};

}  // namespace lumbra
