#include "platform/base/registry.h"

#include <array>

#include "platform/base/reg_file.h"
#include "platform/base/reg_hive.h"
#include "platform/base/text.h"

namespace lumbra {
namespace {

struct HiveNames {
  Hive hive;
  std::string_view long_name;
  std::string_view short_name;
};

constexpr std::array<HiveNames, 4> kHiveNames{{
    {Hive::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {Hive::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Hive::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {Hive::Users, "HKEY_USERS", "HKU"},
}};

std::string FullPath(Hive hive, std::string_view key) {
  std::string path(HiveName(hive));
  if (!key.empty()) path += '\\' + std::string(key);
  return path;
}

}  // namespace

std::optional<Hive> HiveFromName(std::string_view name) {
  for (const HiveNames& names : kHiveNames) {
    if (EqualsNoCase(name, names.long_name) || EqualsNoCase(name, names.short_name)) return names.hive;
  }
  return std::nullopt;
}

std::string_view HiveName(Hive hive) {
  for (const HiveNames& names : kHiveNames) {
    if (names.hive == hive) return names.long_name;
  }
  return "HKEY_UNKNOWN";
}

RegValue RegValue::Text(std::string_view ansi) {
  RegValue value;
  value.type = RegType::String;
  value.bytes.assign(ansi);
  value.bytes += '\0';
  return value;
}

RegValue RegValue::Number(std::uint32_t number) {
  RegValue value;
  value.type = RegType::Dword;
  for (int i = 0; i < 4; ++i) value.bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
  return value;
}

std::string RegValue::AsText() const { return bytes.substr(0, bytes.find('\0')); }

std::uint32_t RegValue::AsNumber() const {
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) {
    number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  return number;
}

Registry::Registry(std::filesystem::path folder) : folder_(std::move(folder)) {}

bool Registry::KeyExists(Hive hive, std::string_view key) const {
  return HiveFile(folder_, hive).Load().Find(key) != nullptr;
}

std::optional<RegValue> Registry::ReadValue(Hive hive, std::string_view key, std::string_view name) const {
  const HiveKeys keys = HiveFile(folder_, hive).Load();
  const RegFileKey* found = keys.Find(key);
  if (found == nullptr) return std::nullopt;
  for (const RegFileValue& value : found->values) {
    if (EqualsNoCase(value.name, name)) return value.value;
  }
  return std::nullopt;
}

std::vector<std::string> Registry::SubKeys(Hive hive, std::string_view key) const {
  return HiveFile(folder_, hive).Load().Children(key);
}

std::vector<std::pair<std::string, RegValue>> Registry::Values(Hive hive, std::string_view key) const {
  std::vector<std::pair<std::string, RegValue>> result;
  const HiveKeys keys = HiveFile(folder_, hive).Load();
  if (const RegFileKey* found = keys.Find(key)) {
    for (const RegFileValue& value : found->values) result.emplace_back(value.name, *value.value);
  }
  return result;
}

void Registry::CreateKey(Hive hive, std::string_view key) {
  HiveFile(folder_, hive).Update([&](HiveKeys& keys) {
    keys.Create(key);
    return true;
  });
}

void Registry::SetValue(Hive hive, std::string_view key, std::string_view name, const RegValue& value) {
  HiveFile(folder_, hive).Update([&](HiveKeys& keys) {
    keys.Create(key).SetValue(name, value);
    return true;
  });
}

bool Registry::DeleteValue(Hive hive, std::string_view key, std::string_view name) {
  return HiveFile(folder_, hive).Update([&](HiveKeys& keys) {
    RegFileKey* found = keys.Find(key);
    return found != nullptr && found->DeleteValue(name);
  });
}

bool Registry::DeleteKey(Hive hive, std::string_view key) {
  return HiveFile(folder_, hive).Update([&](HiveKeys& keys) { return keys.Delete(key); });
}

std::string Registry::Export(Hive hive, std::string_view key) const {
  const HiveKeys keys = HiveFile(folder_, hive).Load();
  if (keys.Find(key) == nullptr) {
    throw RegistryError("the key " + Utf8FromAnsi(FullPath(hive, key)) + " does not exist");
  }
  std::vector<RegFileKey> exported = keys.Subtree(key);
  for (RegFileKey& exported_key : exported) exported_key.path = FullPath(hive, exported_key.path);
  return FormatRegText(exported);
}

void Registry::Import(std::string_view reg_text, std::string_view source_name) {
  const std::vector<RegFileKey> parsed = ParseRegText(reg_text, source_name);
  std::vector<std::pair<Hive, RegFileKey>> changes;
  for (const RegFileKey& key : parsed) {
    const std::string_view path = key.path;
    const auto slash = path.find('\\');
    const auto hive = HiveFromName(path.substr(0, slash));
    if (!hive) {
      throw RegistryError(std::string(source_name) + ": line " + std::to_string(key.line) +
                          ": the key must start with a hive name such as HKEY_LOCAL_MACHINE");
    }
    RegFileKey relative = key;
    relative.path = slash == std::string_view::npos ? "" : std::string(path.substr(slash + 1));
    changes.emplace_back(*hive, std::move(relative));
  }
  ApplyToHives(folder_, changes);
}

}  // namespace lumbra
