#include "printctl/control_settings.h"

#include "platform/base/registry.h"

namespace lumbra {
namespace {

constexpr std::size_t kPrinterNameMax = 255;

void ReadNumber(const Registry& registry, const char* name, std::uint32_t& value) {
  if (auto stored = registry.ReadValue(Hive::LocalMachine, kControlSettingsKey, name)) value = stored->AsNumber();
}

}  // namespace

ControlSettings ControlSettings::Read(const Registry& registry) {
  ControlSettings settings;
  if (!registry.KeyExists(Hive::LocalMachine, kControlSettingsKey)) return settings;
  ReadNumber(registry, "GetCardsFromServer", settings.GetCardsFromServer);
  ReadNumber(registry, "RequireImage", settings.RequireImage);
  ReadNumber(registry, "CardCompletionStatusOn", settings.CardCompletionStatusOn);
  ReadNumber(registry, "CardCompletionTimeOut", settings.CardCompletionTimeOut);
  if (auto printer = registry.ReadValue(Hive::LocalMachine, kControlSettingsKey, "DefaultPrinter")) {
    settings.DefaultPrinter = printer->AsText().substr(0, kPrinterNameMax);
  }
  return settings;
}

}  // namespace lumbra
