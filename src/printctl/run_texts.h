#pragma once
// Small text helpers shared by the print runs: server paths, record values, status messages.
#include <cstdio>
#include <string>
#include <string_view>

#include "printctl/field_list.h"

namespace lumbra {

inline constexpr char kSiteIniPath[] = "/ostrel/ostrel.ini";
inline constexpr char kSiteIniName[] = "ostrel.ini";
inline constexpr char kPhotoAccept[] = "image/*, */*";

// The value of name in the map, "" when absent.
inline std::string ValueOf(const FieldMap& map, std::string_view name) {
  const auto found = map.find(std::string(name));
  return found == map.end() ? std::string() : found->second;
}

// A message that carries an HTTP status through a "%ld" format.
inline std::string StatusMessage(const char* format, long status) {
  char text[128];
  std::snprintf(text, sizeof text, format, status);
  return text;
}

// A link name less its four-character extension, as STARTCARD takes it.
inline std::string WithoutExtension(const std::string& name) {
  return name.substr(0, name.size() < 4 ? 0 : name.size() - 4);
}

}  // namespace lumbra
