#pragma once
// kestrix-sim's own settings, from kestrix-sim.ini in its data folder. docs/kestrix-sim.md
// lists every key.
#include <cstdint>
#include <filesystem>
#include <string>

namespace lumbra::kestrix {

struct Settings {
  // [Login]: the accepted login; empty accepts any.
  std::string user;
  std::string password;
  // [Print]
  std::uint32_t print_ms = 1500;
  std::string print_result = "PRINTED";
  std::string output_folder = "output";  // below the data folder unless absolute
  // [Capture]
  std::uint32_t capture_ms = 1000;
  std::string capture_result = "CAPTURE SUCCESSFUL";
  std::string device;         // "SIGNATURE PAD" writes .wmf files
  std::string capture_photo;  // a picture to hand out as the capture; "" draws one
  bool capture_window = true;  // show "Nubrak Capture" while capturing
  // [Faults]
  std::string refuse_command;  // an execute containing this is refused (NOTPROCESSED)
  std::string busy_command;    // ... answered BUSY
  std::string delay_command;   // ... acknowledged only after delay_ms
  std::uint32_t delay_ms = 0;
  bool die_during_print = false;
  bool never_complete = false;
};

Settings LoadSettings(const std::filesystem::path& data_folder);

}  // namespace lumbra::kestrix
