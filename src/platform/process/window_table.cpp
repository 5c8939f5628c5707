#include "platform/process/window_table.h"

#include "platform/process/process_stat.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

namespace lumbra {
namespace {

// Entry files are named <creation time in ns, 20 digits>-<pid>-<counter>.win, so that a
// listing sorted by name is in creation order.
constexpr char kExtension[] = ".win";
std::atomic<std::uint64_t> counter{0};

// The start time of a running process, 0 when it does not run.
std::uint64_t ProcessStart(pid_t pid) {
  auto stat = ReadProcessStat(pid);
  return stat && stat->Running() ? stat->start_ticks : 0;
}

struct StoredEntry {
  WindowEntry entry;
  std::uint64_t process_start = 0;
};

std::optional<StoredEntry> ReadEntry(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  StoredEntry stored;
  stored.entry.id = file.filename().string();
  std::string line;
  while (std::getline(in, line)) {
    auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string key = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    if (key == "title") stored.entry.title = value;
    else if (key == "pid") stored.entry.pid = static_cast<pid_t>(std::atoi(value.c_str()));
    else if (key == "visible") stored.entry.visible = value == "1";
    else if (key == "topmost") stored.entry.topmost = value == "1";
    else if (key == "start") stored.process_start = std::strtoull(value.c_str(), nullptr, 10);
  }
  if (stored.entry.pid <= 0) return std::nullopt;
  return stored;
}

bool Alive(const StoredEntry& stored) {
  std::uint64_t start = ProcessStart(stored.entry.pid);
  return start != 0 && start == stored.process_start;
}

bool ValidId(std::string_view id) {
  return !id.empty() && id.find('/') == std::string_view::npos && id.find("..") == std::string_view::npos;
}

}  // namespace

WindowTable::WindowTable(std::filesystem::path folder) : folder_(std::move(folder)) {
  std::error_code ignored;
  std::filesystem::create_directories(folder_, ignored);
}

bool WindowTable::Write(const WindowEntry& entry, std::uint64_t process_start) const {
  std::filesystem::path target = folder_ / entry.id;
  std::filesystem::path temporary = folder_ / ("." + entry.id + "." + std::to_string(::getpid()) + ".tmp");
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << "title=" << entry.title << "\npid=" << entry.pid << "\nvisible=" << (entry.visible ? 1 : 0)
        << "\ntopmost=" << (entry.topmost ? 1 : 0) << "\nstart=" << process_start << "\n";
    if (!out.flush()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  return !error;
}

std::optional<WindowEntry> WindowTable::Create(std::string_view title, bool visible) {
  WindowEntry entry;
  entry.title = std::string(title);
  std::replace_if(entry.title.begin(), entry.title.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  entry.pid = ::getpid();
  entry.visible = visible;
  auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch());
  char name[64];
  std::snprintf(name, sizeof(name), "%020lld-%d-%llu%s", static_cast<long long>(now.count()), entry.pid,
                static_cast<unsigned long long>(counter.fetch_add(1)), kExtension);
  entry.id = name;
  if (!Write(entry, ProcessStart(entry.pid))) return std::nullopt;
  return entry;
}

bool WindowTable::Destroy(std::string_view id) {
  if (!ValidId(id)) return false;
  std::error_code error;
  return std::filesystem::remove(folder_ / id, error);
}

std::vector<WindowEntry> WindowTable::List() const {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(folder_, error)) {
    if (item.path().extension() == kExtension && item.path().filename().string()[0] != '.') files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<WindowEntry> windows;
  for (const auto& file : files) {
    auto stored = ReadEntry(file);
    if (!stored) continue;  // being replaced or damaged: not a window
    if (!Alive(*stored)) {
      std::filesystem::remove(file, error);
      continue;
    }
    windows.push_back(std::move(stored->entry));
  }
  return windows;
}

std::optional<WindowEntry> WindowTable::FindByTitle(std::string_view title) const {
  for (auto& window : List()) {
    if (window.title == title) return window;
  }
  return std::nullopt;
}

std::optional<WindowEntry> WindowTable::FindContaining(std::string_view text, std::size_t title_limit) const {
  for (auto& window : List()) {
    if (std::string_view(window.title).substr(0, title_limit).find(text) != std::string_view::npos) return window;
  }
  return std::nullopt;
}

bool WindowTable::Update(std::string_view id, std::optional<bool> visible, std::optional<bool> topmost) {
  if (!ValidId(id)) return false;
  auto stored = ReadEntry(folder_ / id);
  if (!stored || !Alive(*stored)) return false;
  if (visible) stored->entry.visible = *visible;
  if (topmost) stored->entry.topmost = *topmost;
  return Write(stored->entry, stored->process_start);
}

}  // namespace lumbra
