#pragma once
// Private-profile ini reading: section and key names compare without regard to case, the value
// is the text after "=" with surrounding blanks removed, a default applies when the file,
// section or key is missing, and the value is cut to buffer_size - 1 bytes. Lines starting with
// ";" are comments. Nothing is ever written. A bare file name resolves in the system folder.
#include <cstddef>
#include <string>
#include <string_view>

namespace lumbra {

class FileSystem;

class IniReader {
 public:
  IniReader(const FileSystem& files, std::string system_folder);

  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback,
                         std::size_t buffer_size, std::string_view file) const;

  // Leading digits of the value, with an optional sign, as the platform reads them: the default
  // when the key is missing or its value empty, 0 when the value has no leading digits.
  int ReadInt(std::string_view section, std::string_view key, int fallback, std::string_view file) const;

 private:
  const FileSystem& files_;
  std::string system_folder_;
};

}  // namespace lumbra
