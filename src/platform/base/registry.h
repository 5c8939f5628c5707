#pragma once
// The registry stand-in. Each hive is a text file in the registry editor's export format
// ("Windows Registry Editor Version 5.00", UTF-8) below the registry folder:
//   HKEY_CLASSES_ROOT.reg, HKEY_CURRENT_USER.reg, HKEY_LOCAL_MACHINE.reg, HKEY_USERS.reg
// Key and value names compare without regard to case. Writes are atomic (new file, then
// rename) under an exclusive lock, so two processes may write at once.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine, Users };

// "HKEY_LOCAL_MACHINE" or "HKLM" (any case) to the hive.
std::optional<Hive> HiveFromName(std::string_view name);
std::string_view HiveName(Hive hive);

enum class RegType : std::uint32_t { String = 1, Binary = 3, Dword = 4 };

// A value as the platform hands it out: the raw bytes. Text is Windows-1252 with its
// terminating zero byte; a number is 4 little-endian bytes.
struct RegValue {
  RegType type = RegType::String;
  std::string bytes;

  static RegValue Text(std::string_view ansi);
  static RegValue Number(std::uint32_t value);
  // Data up to the first zero byte, whatever the type.
  std::string AsText() const;
  // The first 4 bytes as a little-endian number, whatever the type (missing bytes are 0).
  std::uint32_t AsNumber() const;
};

// A damaged hive file: the message names the file and the line.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every operation reads the hive file afresh, so other processes' writes are seen at once.
// A damaged hive file, or a lock held too long by another process, raises RegistryError.
class Registry {
 public:
  explicit Registry(std::filesystem::path folder);

  // Key paths use "\" between names ("Software\Korvel\Lumbra"); "" is the hive itself.
  bool KeyExists(Hive hive, std::string_view key) const;
  // The value named name ("" is the default value "@"), if the key and the value exist.
  std::optional<RegValue> ReadValue(Hive hive, std::string_view key, std::string_view name) const;
  std::vector<std::string> SubKeys(Hive hive, std::string_view key) const;
  // Value names and values of a key, in file order.
  std::vector<std::pair<std::string, RegValue>> Values(Hive hive, std::string_view key) const;

  // Creates the key and its missing parents.
  void CreateKey(Hive hive, std::string_view key);
  // Creates the key when missing.
  void SetValue(Hive hive, std::string_view key, std::string_view name, const RegValue& value);
  bool DeleteValue(Hive hive, std::string_view key, std::string_view name);
  // Deletes the key with all its subkeys.
  bool DeleteKey(Hive hive, std::string_view key);

  // Export of a key and its subkeys as a .reg text (RegistryError when the key does not exist),
  // and import of such a text (all hives it names; "[-KEY]" and "Name"=- delete). A faulty
  // text raises RegistryError naming source_name and the line, and changes nothing.
  std::string Export(Hive hive, std::string_view key) const;
  void Import(std::string_view reg_text, std::string_view source_name);

 private:
  std::filesystem::path folder_;
};

}  // namespace lumbra
