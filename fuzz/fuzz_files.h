#pragma once
// A workstation root for one fuzzer process, in memory-backed storage where there is one,
// with a file layer, a system folder and a silent user interface.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/files.h"
#include "silent_ui.h"

namespace lumbra {

class FuzzWorkstation {
 public:
  FuzzWorkstation();

  const FileSystem& Files() const { return files_; }
  SilentUi& Ui() { return ui_; }
  // With its trailing backslash.
  const std::string& SystemFolder() const { return system_folder_; }

  // Writes bytes to a file of the system folder and returns the file's full path.
  std::string WriteSystemFile(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path root_;
  FileSystem files_;
  std::string system_folder_;
  SilentUi ui_;
};

std::string_view AsText(const std::uint8_t* data, std::size_t size);

}  // namespace lumbra
