#include "printserver/print_server_registry.h"

#include "platform/base/registry.h"

namespace lumbra {
namespace {

constexpr char kPrintServerClassKey[] = "Korvel.PrintServer.Input\\CLSID";
constexpr char kDesignDirectoriesKey[] = "Software\\Korvel\\Carvix\\Directories";
constexpr char kProjectsValue[] = "Projects";

}  // namespace

bool PrintServerRegistered(const Registry& registry) {
  return registry.KeyExists(Hive::ClassesRoot, kPrintServerClassKey);
}

std::string ReadProjectsFolder(const Registry& registry) {
  const auto value = registry.ReadValue(Hive::LocalMachine, kDesignDirectoriesKey, kProjectsValue);
  return value ? value->AsText() : std::string();
}

}  // namespace lumbra
