#pragma once
// The registry editor's export format ("Windows Registry Editor Version 5.00"), read and
// written. Files are written in UTF-8 and read in UTF-8 or, with its byte-order mark, in the
// UTF-16 the editor saves on Windows; names and text values come out as Windows-1252, as the
// components keep them.
//   [HKEY_LOCAL_MACHINE\Software\Korvel]     a key
//   [-HKEY_LOCAL_MACHINE\Software\Korvel]    delete a key (import only)
//   "Name"="text"   @="default"   "N"=dword:0000002a   "B"=hex:01,02   "X"=hex(7):..
//   "Name"=-                                 delete a value (import only)
// Hex data may continue on the next line after a trailing "\".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/registry.h"

namespace lumbra {

struct RegFileValue {
  std::string name;              // "" is the default value "@"
  std::optional<RegValue> value; // nullopt: delete the value
};

struct RegFileKey {
  std::string path;  // full path, hive name first: "HKEY_LOCAL_MACHINE\Software"
  bool remove = false;
  std::vector<RegFileValue> values;
  int line = 0;  // where the section starts, for messages

  // Names compare without regard to case; a new value goes last.
  void SetValue(std::string_view name, const RegValue& value);
  bool DeleteValue(std::string_view name);
};

// Throws RegistryError naming source_name and the line of the first fault.
std::vector<RegFileKey> ParseRegText(std::string_view text, std::string_view source_name);

// The file text for these keys (removals are not written).
std::string FormatRegText(const std::vector<RegFileKey>& keys);

}  // namespace lumbra
