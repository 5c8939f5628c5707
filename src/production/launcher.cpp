#include "production/launcher.h"

#include <algorithm>
#include <cstdint>

#include "platform/base/ini.h"
#include "platform/base/services.h"

namespace lumbra {
namespace {

constexpr char kDefaultLogin[] = "ZIDEZ";
// Values are read into buffers of 128 characters.
constexpr std::size_t kValueBuffer = 129;

// "kx.ini" when KX.INI is in the system folder, else "kxx.ini" when that is, else "".
std::string InstalledIni(Services& services, const std::string& system_folder) {
  services.files.SetCurrentFolder(system_folder);
  if (services.files.Exists("KX.INI")) return "kx.ini";
  if (services.files.Exists("KXX.INI")) return "kxx.ini";
  return "";
}

}  // namespace

LaunchCommand BuildLaunchCommand(Services& services, const std::string& system_folder, std::string& user_name,
                                 std::string& password) {
  std::string ini = InstalledIni(services, system_folder);
  if (ini.empty()) return {};
  if (user_name.empty()) user_name = kDefaultLogin;
  if (password.empty()) password = kDefaultLogin;
  IniReader reader(services.files, system_folder);
  LaunchCommand launch;
  std::string executable = "KXX.exe";
  if (ini == "kx.ini") {
    launch.production_data_folder = reader.ReadString("SYSTEM", "KxpePath", "", kValueBuffer, ini);
    if (!launch.production_data_folder.empty()) {
      launch.command_line = launch.production_data_folder + "\\KXPE.exe";
      return launch;
    }
    executable = "KX.exe";
  }
  launch.production_data_folder = reader.ReadString("SYSTEM", "KXDataPath", "", kValueBuffer, ini);
  launch.command_line =
      launch.production_data_folder + "\\" + executable + " -I -N" + user_name + " -P" + password + " -S";
  return launch;
}

std::uint32_t ReadLinkTimeout(Services& services, const std::string& system_folder) {
  std::string ini = InstalledIni(services, system_folder);
  if (ini.empty()) return 15000;
  std::string text = IniReader(services.files, system_folder).ReadString("DDE", "KXServerDDETimeout", "", kValueBuffer, ini);
  if (text.empty()) return 15000;
  // Leading digits; a value past the largest limit stays at the largest.
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(c - '0'), UINT32_MAX);
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace lumbra
