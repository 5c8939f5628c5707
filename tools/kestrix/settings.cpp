#include "settings.h"

#include "platform/base/files.h"
#include "platform/base/ini.h"

namespace lumbra::kestrix {

Settings LoadSettings(const std::filesystem::path& data_folder) {
  FileSystem files(data_folder);
  IniReader ini(files, data_folder.string());
  const std::string file = (data_folder / "kestrix-sim.ini").string();
  auto text = [&](const char* section, const char* key, const std::string& fallback) {
    return ini.ReadString(section, key, fallback, 1024, file);
  };
  auto number = [&](const char* section, const char* key, std::uint32_t fallback) {
    int value = ini.ReadInt(section, key, static_cast<int>(fallback), file);
    return value < 0 ? fallback : static_cast<std::uint32_t>(value);
  };
  Settings settings;
  settings.user = text("Login", "User", settings.user);
  settings.password = text("Login", "Password", settings.password);
  settings.print_ms = number("Print", "DurationMs", settings.print_ms);
  settings.print_result = text("Print", "Result", settings.print_result);
  settings.output_folder = text("Print", "OutputFolder", settings.output_folder);
  settings.capture_ms = number("Capture", "DurationMs", settings.capture_ms);
  settings.capture_result = text("Capture", "Result", settings.capture_result);
  settings.device = text("Capture", "Device", settings.device);
  settings.capture_photo = text("Capture", "Photo", settings.capture_photo);
  settings.capture_window = number("Capture", "ShowWindow", 1) != 0;
  settings.refuse_command = text("Faults", "RefuseCommand", "");
  settings.busy_command = text("Faults", "BusyCommand", "");
  settings.delay_command = text("Faults", "DelayCommand", "");
  settings.delay_ms = number("Faults", "DelayMs", 0);
  settings.die_during_print = number("Faults", "DieDuringPrint", 0) != 0;
  settings.never_complete = number("Faults", "NeverComplete", 0) != 0;
  return settings;
}

}  // namespace lumbra::kestrix
