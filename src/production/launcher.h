#pragma once
// Finding the production application's installation through "kx.ini" or "kxx.ini" in the
// system folder: the command line that starts it with a login, and the channel time limit.
// Both make the system folder the process's current folder, as the controls rely on.
#include <cstdint>
#include <string>

namespace lumbra {

struct Services;

struct LaunchCommand {
  std::string command_line;            // "" when neither ini file exists
  std::string production_data_folder;  // the application's data folder as the ini names it
};

// Empty user_name or password become "ZIDEZ" (the caller's properties keep that value) when
// an ini file is found.
LaunchCommand BuildLaunchCommand(Services& services, const std::string& system_folder, std::string& user_name,
                                 std::string& password);

// "KXServerDDETimeout" of section "DDE" in kx.ini, else kxx.ini: its leading digits; 15000
// when no file or an empty value.
std::uint32_t ReadLinkTimeout(Services& services, const std::string& system_folder);

}  // namespace lumbra
