#include "platform/base/reg_hive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <unordered_map>

#include "platform/base/text.h"

namespace lumbra {
namespace {

constexpr auto kLockTimeout = std::chrono::seconds(10);
constexpr auto kLockRetry = std::chrono::milliseconds(1);

// "\A\\B\" -> "A\B": empty names between separators carry nothing.
std::string NormalizeKey(std::string_view key) {
  std::string out;
  while (!key.empty()) {
    const auto slash = key.find('\\');
    const std::string_view name = key.substr(0, slash);
    if (!name.empty()) {
      if (!out.empty()) out += '\\';
      out += name;
    }
    if (slash == std::string_view::npos) break;
    key.remove_prefix(slash + 1);
  }
  return out;
}

// True when path lies below key (key "" is the hive, above every other key).
bool IsBelow(std::string_view path, std::string_view key) {
  if (key.empty()) return !path.empty();
  return path.size() > key.size() && path[key.size()] == '\\' && EqualsNoCase(path.substr(0, key.size()), key);
}

// Orders keys so that a parent comes before its children and names sort without case.
std::string SortKey(std::string_view path) {
  std::string key = UpperAnsi(path);
  std::replace(key.begin(), key.end(), '\\', '\x01');
  return key;
}

[[noreturn]] void ThrowSystemError(const std::string& what, const std::filesystem::path& path) {
  throw RegistryError(what + " " + path.string() + ": " + std::strerror(errno));
}

// An exclusive lock on the registry folder, held for one read-change-write.
class FolderLock {
 public:
  explicit FolderLock(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const auto path = folder / ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) ThrowSystemError("cannot open the registry lock", path);
    const auto deadline = std::chrono::steady_clock::now() + kLockTimeout;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline) {
        ::close(fd_);
        throw RegistryError("the registry in " + folder.string() + " stayed locked by another process for " +
                            std::to_string(kLockTimeout.count()) + " seconds");
      }
      std::this_thread::sleep_for(kLockRetry);
    }
  }
  ~FolderLock() { ::close(fd_); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

void WriteAll(int fd, std::string_view data, const std::filesystem::path& path) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("cannot write", path);
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
}

// Writes a new file beside the target and renames it over, so a reader sees the old or the
// new hive, never half of one.
void ReplaceFile(const std::filesystem::path& target, std::string_view content) {
  auto temp = target;
  temp += ".new." + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) ThrowSystemError("cannot create", temp);
  try {
    WriteAll(fd, content, temp);
    if (::fsync(fd) != 0) ThrowSystemError("cannot flush", temp);
  } catch (...) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  ::close(fd);
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temp.c_str());
    errno = saved;
    ThrowSystemError("cannot replace", target);
  }
}

}  // namespace

void RegFileKey::SetValue(std::string_view name, const RegValue& value) {
  for (RegFileValue& existing : values) {
    if (EqualsNoCase(existing.name, name)) {
      existing.value = value;
      return;
    }
  }
  values.push_back({std::string(name), value});
}

bool RegFileKey::DeleteValue(std::string_view name) {
  const auto found = std::find_if(values.begin(), values.end(),
                                  [&](const RegFileValue& value) { return EqualsNoCase(value.name, name); });
  if (found == values.end()) return false;
  values.erase(found);
  return true;
}

HiveKeys::HiveKeys() { keys_.emplace_back(); }

const RegFileKey* HiveKeys::Find(std::string_view key) const {
  const std::string path = NormalizeKey(key);
  for (const RegFileKey& existing : keys_) {
    if (EqualsNoCase(existing.path, path)) return &existing;
  }
  return nullptr;
}

RegFileKey* HiveKeys::Find(std::string_view key) {
  return const_cast<RegFileKey*>(std::as_const(*this).Find(key));
}

RegFileKey& HiveKeys::Create(std::string_view key) {
  const std::string path = NormalizeKey(key);
  RegFileKey* parent = &keys_.front();
  for (std::size_t end = 0; end != std::string::npos;) {
    end = path.find('\\', end + 1);
    const std::string_view prefix = std::string_view(path).substr(0, end);
    parent = Find(prefix);
    if (parent == nullptr) {
      RegFileKey created;
      created.path = std::string(prefix);
      keys_.push_back(std::move(created));
      parent = &keys_.back();
    }
  }
  return *parent;
}

bool HiveKeys::Delete(std::string_view key) {
  const std::string path = NormalizeKey(key);
  if (path.empty() || Find(path) == nullptr) return false;
  std::erase_if(keys_, [&](const RegFileKey& existing) {
    return EqualsNoCase(existing.path, path) || IsBelow(existing.path, path);
  });
  return true;
}

std::vector<std::string> HiveKeys::Children(std::string_view key) const {
  const std::string path = NormalizeKey(key);
  const std::size_t skip = path.empty() ? 0 : path.size() + 1;
  std::map<std::string, std::string> children;  // by sort key, first spelling wins
  for (const RegFileKey& existing : keys_) {
    if (!IsBelow(existing.path, path)) continue;
    const std::string_view rest = std::string_view(existing.path).substr(skip);
    const std::string name(rest.substr(0, rest.find('\\')));
    children.emplace(SortKey(name), name);
  }
  std::vector<std::string> names;
  for (auto& [sort_key, name] : children) names.push_back(std::move(name));
  return names;
}

std::vector<RegFileKey> HiveKeys::Subtree(std::string_view key) const {
  const std::string path = NormalizeKey(key);
  std::vector<RegFileKey> subtree;
  for (const RegFileKey& existing : keys_) {
    if (EqualsNoCase(existing.path, path) || IsBelow(existing.path, path)) subtree.push_back(existing);
  }
  std::stable_sort(subtree.begin(), subtree.end(),
                   [](const RegFileKey& a, const RegFileKey& b) { return SortKey(a.path) < SortKey(b.path); });
  return subtree;
}

void HiveKeys::Apply(const RegFileKey& change) {
  if (change.remove) {
    Delete(change.path);
    return;
  }
  RegFileKey& key = Create(change.path);
  // One index for the whole section: a hive file holds many values per key.
  std::unordered_map<std::string, std::size_t> positions;
  for (std::size_t i = 0; i < key.values.size(); ++i) positions.emplace(UpperAnsi(key.values[i].name), i);
  for (const RegFileValue& value : change.values) {
    const auto [found, added] = positions.emplace(UpperAnsi(value.name), key.values.size());
    if (added) {
      key.values.push_back(value);
    } else {
      key.values[found->second].value = value.value;
    }
  }
  std::erase_if(key.values, [](const RegFileValue& value) { return !value.value; });
}

HiveFile::HiveFile(std::filesystem::path folder, Hive hive)
    : folder_(std::move(folder)), hive_(hive), path_(folder_ / (std::string(HiveName(hive)) + ".reg")) {}

HiveKeys HiveFile::Load() const {
  HiveKeys keys;
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    if (!std::filesystem::exists(path_)) return keys;
    ThrowSystemError("cannot read", path_);
  }
  std::ostringstream text;
  text << in.rdbuf();
  const std::string source = path_.string();
  const std::string_view hive_name = HiveName(hive_);
  for (RegFileKey& section : ParseRegText(text.str(), source)) {
    const std::string_view path = section.path;
    if (!EqualsNoCase(path.substr(0, path.find('\\')), hive_name)) {
      throw RegistryError(source + ": line " + std::to_string(section.line) + ": the key is not in " +
                          std::string(hive_name));
    }
    section.path = path.size() > hive_name.size() ? std::string(path.substr(hive_name.size() + 1)) : "";
    keys.Apply(section);
  }
  return keys;
}

bool HiveFile::Update(const std::function<bool(HiveKeys&)>& change) const {
  const FolderLock lock(folder_);
  HiveKeys keys = Load();
  if (!change(keys)) return false;
  Save(keys);
  return true;
}

void HiveFile::Save(const HiveKeys& keys) const {
  std::vector<RegFileKey> sections = keys.Subtree("");
  if (sections.front().values.empty()) sections.erase(sections.begin());
  const std::string hive_name(HiveName(hive_));
  for (RegFileKey& section : sections) {
    section.path = section.path.empty() ? hive_name : hive_name + '\\' + section.path;
  }
  ReplaceFile(path_, FormatRegText(sections));
}

void ApplyToHives(const std::filesystem::path& folder, const std::vector<std::pair<Hive, RegFileKey>>& changes) {
  const FolderLock lock(folder);
  std::vector<std::pair<HiveFile, HiveKeys>> touched;
  for (const auto& [hive, change] : changes) {
    auto found = std::find_if(touched.begin(), touched.end(),
                              [hive = hive](const auto& entry) { return entry.first.hive_ == hive; });
    if (found == touched.end()) {
      HiveFile file(folder, hive);
      HiveKeys keys = file.Load();
      touched.emplace_back(std::move(file), std::move(keys));
      found = touched.end() - 1;
    }
    found->second.Apply(change);
  }
  for (const auto& [file, keys] : touched) file.Save(keys);
}

}  // namespace lumbra
