#include "platform/base/root.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "platform/base/text.h"

namespace lumbra {
namespace {

std::filesystem::path HomeFolder() {
  std::string home = GetHostEnvironment("HOME");
  if (home.empty()) {
    // Services started without a login environment still have a password-file entry.
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) home = entry->pw_dir;
  }
  if (home.empty()) {
    throw std::runtime_error("cannot find the workstation root: LUMBRA_ROOT, XDG_DATA_HOME and HOME are all unset");
  }
  return home;
}

void CreateFolder(const std::filesystem::path& folder, std::filesystem::perms permissions) {
  std::error_code error;
  const bool created = std::filesystem::create_directories(folder, error);
  if (error) {
    throw std::runtime_error("cannot create the folder " + folder.string() + ": " + error.message());
  }
  if (created) std::filesystem::permissions(folder, permissions, error);
}

}  // namespace

RootLayout RootLayout::FromEnvironment() {
  if (std::string root = GetHostEnvironment("LUMBRA_ROOT"); !root.empty()) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(root, error);
    return RootLayout{error ? std::filesystem::path(root) : absolute};
  }
  // A relative XDG_DATA_HOME is invalid and is ignored, as the base-directory rules require.
  std::filesystem::path data_home = GetHostEnvironment("XDG_DATA_HOME");
  if (data_home.empty() || data_home.is_relative()) data_home = HomeFolder() / ".local" / "share";
  return RootLayout{data_home / "lumbra"};
}

std::filesystem::path RootLayout::DriveDir(char letter) const {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  return root / (std::string("drive_") + lower);
}

std::string RootLayout::SystemFolder() const { return AnsiFromUtf8(SystemDir().string()) + "\\"; }

void RootLayout::EnsureCreated() const {
  using std::filesystem::perms;
  const perms everyone_reads = perms::owner_all | perms::group_read | perms::group_exec | perms::others_read |
                               perms::others_exec;
  CreateFolder(root, everyone_reads);
  CreateFolder(SystemDir(), everyone_reads);
  CreateFolder(RegistryDir(), everyone_reads);
  // Channel sockets live here: only the operator may reach them.
  CreateFolder(RunDir(), perms::owner_all);
  CreateFolder(DriveDir('c'), everyone_reads);
}

std::string GetEnvironment(std::string_view name) { return AnsiFromUtf8(GetHostEnvironment(name)); }

std::string GetHostEnvironment(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace lumbra
