#pragma once
// The print control's settings from HKEY_LOCAL_MACHINE "Software\Korvel\Lumbra", read once
// when the control is created. A missing key or value keeps its default.
#include <cstdint>
#include <string>

namespace lumbra {

class Registry;

inline constexpr char kControlSettingsKey[] = "Software\\Korvel\\Lumbra";

struct ControlSettings {
  // Non-zero: the batch run fetches link and card files before use; 0: they must be cached.
  std::uint32_t GetCardsFromServer = 1;
  // Non-zero: a batch photo that cannot be fetched ends the run.
  std::uint32_t RequireImage = 0;
  // Print-server path only.
  std::uint32_t CardCompletionStatusOn = 0;
  std::uint32_t CardCompletionTimeOut = 0;
  // Initial value of the DefaultPrinter property, at most 255 bytes.
  std::string DefaultPrinter;

  // Numbers are taken as 4-byte values whatever type they were stored with.
  static ControlSettings Read(const Registry& registry);
};

}  // namespace lumbra
