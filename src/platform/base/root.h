#pragma once
// The workstation root: one folder that holds everything a workstation keeps.
//   LUMBRA_ROOT, by default ${XDG_DATA_HOME:-$HOME/.local/share}/lumbra
//   system/    the system folder (kx.ini, the fetched site ini, the event-support inis)
//   registry/  the registry hives
//   run/       runtime state (command-channel sockets, the window table)
//   drive_c/   and the other drive folders
#include <filesystem>
#include <string>
#include <string_view>

namespace lumbra {

struct RootLayout {
  std::filesystem::path root;

  static RootLayout FromEnvironment();

  std::filesystem::path SystemDir() const { return root / "system"; }
  std::filesystem::path RegistryDir() const { return root / "registry"; }
  std::filesystem::path RunDir() const { return root / "run"; }
  std::filesystem::path DriveDir(char letter) const;

  // The system folder as components use it: host path with a trailing backslash.
  std::string SystemFolder() const;

  // Creates the folders above when they are missing.
  void EnsureCreated() const;
};

// A variable of the process environment as component text (Windows-1252), "" when unset.
std::string GetEnvironment(std::string_view name);
// The same, as the host keeps it (UTF-8), for platform code that hands it to the host unchanged.
std::string GetHostEnvironment(std::string_view name);

}  // namespace lumbra
