// The page's local services: one registry value, the file dialog, whole text files, removal.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "datasave/data_save.h"
#include "datasave/file_error.h"
#include "datasave/readable_file.h"
#include "platform/ui/user_interface.h"

namespace lumbra {
namespace {

constexpr std::size_t kFileErrorTextMax = 1023;
constexpr std::int16_t kAutomationTrue = -1;

DataSaveError FileFailure(const std::string& path, int error) {
  return DataSaveError(FileErrorReport(path, error).substr(0, kFileErrorTextMax));
}

}  // namespace

std::string DataSave::GetRegValue(int hive, const std::string& path, const std::string& key) {
  constexpr std::array<Hive, 4> kHives = {Hive::ClassesRoot, Hive::CurrentUser,
                                          Hive::LocalMachine, Hive::Users};
  if (hive < 0 || hive >= static_cast<int>(kHives.size())) {
    throw DataSaveError("Invalid Registry Handle");
  }
  try {
    const auto value = services_.registry.ReadValue(kHives[static_cast<std::size_t>(hive)], path, key);
    return value ? value->AsText() : std::string();
  } catch (const RegistryError& error) {
    // A damaged hive file reads as a key that cannot be opened, but the operator is told.
    Tell(error.what(), Icon::Warning);
    return {};
  }
}

std::string DataSave::BrowseForFile(std::int16_t open, const std::string& default_extension,
                                    const std::string& file_name, std::uint32_t flags,
                                    const std::string& filter) {
  FileDialogRequest request;
  request.save = open != kAutomationTrue;
  request.default_extension = default_extension;
  request.initial_name = file_name;
  request.flags = flags;
  request.filter = filter;
  return services_.ui.AskFile(request).value_or(std::string());
}

void DataSave::WriteTextFile(const std::string& file_name, const std::string& data) {
  const std::string host_path = services_.files.HostPath(file_name).string();
  const int fd = ::open(host_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw FileFailure(file_name, errno);
  std::size_t written = 0;
  while (written < data.size()) {
    const ssize_t count = ::write(fd, data.data() + written, data.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      const int error = errno;
      ::close(fd);
      throw FileFailure(file_name, error);
    }
    written += static_cast<std::size_t>(count);
  }
  if (::close(fd) != 0) throw FileFailure(file_name, errno);
}

std::string DataSave::ReadTextFile(const std::string& file_name) {
  ReadableFile file(services_.files.HostPath(file_name).string());
  if (!file.IsOpen()) throw FileFailure(file_name, file.Error());
  std::string content;
  char buffer[8192];
  for (;;) {
    const ssize_t count = file.Read(buffer, sizeof buffer);
    if (count < 0) throw FileFailure(file_name, errno);
    if (count == 0) break;
    content.append(buffer, static_cast<std::size_t>(count));
  }
  return content.substr(0, content.find('\0'));
}

bool DataSave::RemoveFile(const std::string& file_name) {
  return services_.files.Delete(file_name);
}

}  // namespace lumbra
