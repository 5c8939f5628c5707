#pragma once
// The stand-in for top-level windows: one entry file per window in run/windows below the
// workstation root, so that any process can ask whether a window titled ... exists, and hide,
// show or raise it. An entry belongs to a process; entries of processes that have ended are
// ignored and removed.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra {

struct WindowEntry {
  std::string id;     // the entry's name; stable for the window's life
  std::string title;  // Windows-1252, no line breaks
  pid_t pid = 0;
  bool visible = true;
  bool topmost = false;
};

class WindowTable {
 public:
  // folder: run/windows below the root; created when missing.
  explicit WindowTable(std::filesystem::path folder);

  // A window of the calling process; nullopt when the entry cannot be written.
  std::optional<WindowEntry> Create(std::string_view title, bool visible = true);
  bool Destroy(std::string_view id);

  // Live windows in creation order.
  std::vector<WindowEntry> List() const;
  std::optional<WindowEntry> FindByTitle(std::string_view title) const;
  // The first window whose title, read up to title_limit bytes, contains text.
  std::optional<WindowEntry> FindContaining(std::string_view text, std::size_t title_limit = 100) const;

  bool Hide(std::string_view id) { return Update(id, false, std::nullopt); }
  bool Show(std::string_view id) { return Update(id, true, std::nullopt); }
  bool RaiseTopmost(std::string_view id) { return Update(id, std::nullopt, true); }

 private:
  bool Update(std::string_view id, std::optional<bool> visible, std::optional<bool> topmost);
  bool Write(const WindowEntry& entry, std::uint64_t process_start) const;

  std::filesystem::path folder_;
};

}  // namespace lumbra
