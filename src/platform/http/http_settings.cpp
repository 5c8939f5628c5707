#include <string>

#include "platform/base/registry.h"
#include "platform/base/root.h"
#include "platform/base/text.h"
#include "platform/http/http_client.h"

namespace lumbra {
namespace {

void ReadTimeout(const Registry& registry, std::string_view name, std::chrono::milliseconds& target) {
  const auto value = registry.ReadValue(Hive::LocalMachine, HttpSettings::kRegistryKey, name);
  if (value && value->AsNumber() > 0) target = std::chrono::milliseconds(value->AsNumber());
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::string item;
  for (char c : text + ";") {
    if (c == ';' || c == ',') {
      if (!item.empty()) items.push_back(item);
      item.clear();
    } else if (c != ' ') {
      item += c;
    }
  }
  return items;
}

}  // namespace

HttpSettings HttpSettings::Load(const Registry& registry) {
  HttpSettings settings;
  try {
    ReadTimeout(registry, kConnectTimeoutValue, settings.connect_timeout);
    ReadTimeout(registry, kNoProgressTimeoutValue, settings.no_progress_timeout);
    if (auto ca = registry.ReadValue(Hive::LocalMachine, kRegistryKey, kSiteCaFileValue)) {
      // Registry text is Windows-1252; libcurl opens the file by its host (UTF-8) name.
      settings.site_ca_file = Utf8FromAnsi(ca->AsText());
    }
  } catch (const RegistryError&) {
    // A damaged hive is reported by whoever owns it; a request still goes out, with the defaults.
  }
  // Both go to libcurl as they are, so they are read as the host keeps them.
  if (auto ca = GetHostEnvironment(kSiteCaFileVariable); !ca.empty()) settings.site_ca_file = ca;
  settings.connect_to = SplitList(GetHostEnvironment(kConnectToVariable));
  return settings;
}

}  // namespace lumbra
