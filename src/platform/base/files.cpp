#include "platform/base/files.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/base/text.h"
#include "platform/base/wildcard.h"

namespace lumbra {
namespace fs = std::filesystem;
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

std::vector<std::string_view> SplitComponents(std::string_view path) {
  std::vector<std::string_view> components;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (i > start) components.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return components;
}

// The current folder, as a host path. Process-wide, like the platform's.
struct CurrentFolderState {
  std::mutex mutex;
  fs::path folder;

  CurrentFolderState() {
    std::error_code error;
    folder = fs::current_path(error);
    if (error) folder = "/";
  }
};

CurrentFolderState& CurrentState() {
  static CurrentFolderState state;
  return state;
}

fs::path CurrentHostFolder() {
  CurrentFolderState& state = CurrentState();
  std::lock_guard lock(state.mutex);
  return state.folder;
}

bool HostExists(const fs::path& host) {
  std::error_code error;
  return fs::exists(fs::symlink_status(host, error));
}

bool HostIsFolder(const fs::path& host) {
  std::error_code error;
  return fs::is_directory(host, error);
}

// The name of an entry as component text, when the host name can be spelled in the code page.
std::optional<std::string> AnsiName(const fs::path& entry) {
  const std::string host_name = entry.filename().string();
  std::string ansi = AnsiFromUtf8(host_name);
  if (Utf8FromAnsi(ansi) != host_name) return std::nullopt;
  return ansi;
}

// Entries of a folder whose names the code page can spell, sorted without regard to case so
// that the choice between several matches is stable.
std::vector<std::pair<std::string, fs::path>> ListFolder(const fs::path& folder) {
  std::vector<std::pair<std::string, fs::path>> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (std::optional<std::string> name = AnsiName(it->path())) entries.emplace_back(std::move(*name), it->path());
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    const std::string upper_a = UpperAnsi(a.first);
    const std::string upper_b = UpperAnsi(b.first);
    return upper_a != upper_b ? upper_a < upper_b : a.first < b.first;
  });
  return entries;
}

std::optional<fs::path> FindNoCase(const fs::path& folder, std::string_view ansi_name) {
  for (const auto& [name, host] : ListFolder(folder)) {
    if (EqualsNoCase(name, ansi_name)) return host;
  }
  return std::nullopt;
}

bool IsBelow(const fs::path& path, const fs::path& folder) {
  return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

// A folder opens as a failed stream: the host would open it and fail only on the first read.
template <typename Stream>
Stream OpenFile(const fs::path& host, std::ios::openmode mode) {
  Stream stream;
  if (HostIsFolder(host)) {
    stream.setstate(std::ios::failbit);
  } else {
    stream.open(host, mode);
  }
  return stream;
}

// The host path of an operation's operand. An empty name names nothing, as on the platform
// (only a find pattern's empty folder part means the current folder).
fs::path Operand(const FileSystem& files, std::string_view path) {
  return path.empty() ? fs::path() : files.HostPath(path);
}

}  // namespace

FileSystem::FileSystem(fs::path root) : root_(std::move(root)) {}

fs::path FileSystem::HostPath(std::string_view path) const {
  // The drive folder a path inside the root's drive folders belongs to, if any.
  const auto drive_of = [this](const fs::path& host) -> std::optional<fs::path> {
    if (!IsBelow(host, root_)) return std::nullopt;
    const fs::path relative = host.lexically_relative(root_);
    if (relative.empty() || relative == ".") return std::nullopt;
    const std::string first = relative.begin()->string();
    if (first.size() == 7 && first.starts_with("drive_")) return root_ / first;
    return std::nullopt;
  };

  fs::path result;  // where resolution starts
  fs::path floor;   // ".." never climbs above this, as on a drive root
  std::string_view rest = path;
  if (HasDriveLetter(path)) {
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    result = floor = root_ / (std::string("drive_") + letter);
    rest = path.substr(2);
  } else if (!path.empty() && path[0] == '/') {
    result = floor = "/";
  } else if (!path.empty() && path[0] == '\\') {
    result = floor = drive_of(CurrentHostFolder()).value_or(root_ / "drive_c");
  } else {
    result = CurrentHostFolder();
    floor = drive_of(result).value_or("/");
  }

  for (std::string_view component : SplitComponents(rest)) {
    if (component == ".") continue;
    if (component == "..") {
      if (result != floor) result = result.parent_path();
      continue;
    }
    fs::path exact = result / Utf8FromAnsi(component);
    if (HostExists(exact) || !HostIsFolder(result)) {
      result = std::move(exact);
    } else {
      result = FindNoCase(result, component).value_or(std::move(exact));
    }
  }
  return result;
}

std::string FileSystem::CurrentFolder() { return AnsiFromUtf8(CurrentHostFolder().string()); }

bool FileSystem::SetCurrentFolder(std::string_view folder) const {
  fs::path host = Operand(*this, folder);
  if (!HostIsFolder(host)) return false;
  CurrentFolderState& state = CurrentState();
  std::lock_guard lock(state.mutex);
  state.folder = std::move(host);
  return true;
}

std::optional<std::string> FileSystem::FindFirst(std::string_view pattern) const {
  std::size_t name_start = 0;
  if (const std::size_t last_separator = pattern.find_last_of("\\/"); last_separator != std::string_view::npos) {
    name_start = last_separator + 1;
  } else if (HasDriveLetter(pattern)) {
    name_start = 2;
  }
  const std::string_view name_pattern = pattern.substr(name_start);
  if (name_pattern.empty()) return std::nullopt;
  const fs::path folder = HostPath(pattern.substr(0, name_start));
  for (const auto& [name, host] : ListFolder(folder)) {
    if (MatchesWildcard(name_pattern, name)) return name;
  }
  return std::nullopt;
}

bool FileSystem::Exists(std::string_view path) const { return HostExists(Operand(*this, path)); }

bool FileSystem::IsFolder(std::string_view path) const { return HostIsFolder(Operand(*this, path)); }

std::optional<std::uint64_t> FileSystem::Size(std::string_view path) const {
  const fs::path host = Operand(*this, path);
  std::error_code error;
  if (!fs::is_regular_file(host, error)) return std::nullopt;
  const std::uintmax_t size = fs::file_size(host, error);
  if (error) return std::nullopt;
  return size;
}

bool FileSystem::Copy(std::string_view from, std::string_view to, bool fail_if_exists) const {
  const fs::path source = Operand(*this, from);
  const fs::path target = Operand(*this, to);
  std::error_code error;
  if (!fs::is_regular_file(source, error) || target.empty()) return false;
  if (HostExists(target)) {
    if (fail_if_exists || HostIsFolder(target) || fs::equivalent(source, target, error)) return false;
  }
  if (fail_if_exists) {
    if (fs::copy_file(source, target, fs::copy_options::none, error)) return true;
    fs::remove(target, error);
    return false;
  }
  // Copy beside the target and rename over it, so a failed copy leaves the old target intact.
  static std::atomic<unsigned> counter{0};
  fs::path staging = target;
  staging += ".copy-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  if (!fs::copy_file(source, staging, fs::copy_options::overwrite_existing, error)) {
    fs::remove(staging, error);
    return false;
  }
  fs::rename(staging, target, error);
  if (error) {
    std::error_code ignored;
    fs::remove(staging, ignored);
    return false;
  }
  return true;
}

bool FileSystem::Delete(std::string_view path) const {
  const fs::path host = Operand(*this, path);
  std::error_code error;
  if (fs::is_directory(fs::symlink_status(host, error))) return false;  // folders are not files
  return fs::remove(host, error);
}

bool FileSystem::CreateFolder(std::string_view path) const {
  const fs::path host = Operand(*this, path);
  if (HostExists(host) || !HostIsFolder(host.parent_path())) return false;
  std::error_code error;
  return fs::create_directory(host, error);
}

std::ifstream FileSystem::OpenForReading(std::string_view path) const {
  return OpenFile<std::ifstream>(Operand(*this, path), std::ios::in | std::ios::binary);
}

std::ofstream FileSystem::OpenForWriting(std::string_view path) const {
  return OpenFile<std::ofstream>(Operand(*this, path), std::ios::out | std::ios::binary | std::ios::trunc);
}

}  // namespace lumbra
