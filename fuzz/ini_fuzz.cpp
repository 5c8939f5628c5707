// The site ini comes from the web server and is read with the private-profile reader. The
// first line of the input names a section and a key to read ("SECTION KEY"); the rest is
// the file. The link map's loaders then read the same file as the site ini.
#include <cstdint>

#include "fuzz_files.h"
#include "linkmap/form_link_map.h"
#include "platform/base/ini.h"

using namespace lumbra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzWorkstation workstation;
  std::string_view input = AsText(data, size);
  const auto end = input.find('\n');
  const std::string_view names = input.substr(0, end);
  input = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);
  const auto space = names.find(' ');
  const std::string_view section = names.substr(0, space);
  const std::string_view key = space == std::string_view::npos ? std::string_view{} : names.substr(space + 1);

  workstation.WriteSystemFile("ostrel.ini", input);
  const IniReader ini(workstation.Files(), workstation.SystemFolder());
  for (const std::size_t buffer : {std::size_t{1}, std::size_t{30}, std::size_t{200}}) {
    const std::string value = ini.ReadString(section, key, "fallback", buffer, "Ostrel.ini");
    if (value.size() >= buffer) __builtin_trap();
  }
  ini.ReadInt(section, key, -1, "Ostrel.ini");

  for (const auto& options : {LinkMapOptions::PrintControl(), LinkMapOptions::CaptureControl()}) {
    CFormLinkMap map(options, workstation.Files(), workstation.Ui(), workstation.SystemFolder());
    map.LoadIdLinkMap(workstation.SystemFolder());
    const std::string type_key = map.ReadTypeField();
    std::string link_name;
    std::string card_name;
    for (const std::string& lookup_key : {type_key, std::string(key)}) {
      map.LookupLink(lookup_key, link_name, card_name, false);
      map.LoadFieldMap(lookup_key);
    }
    std::string record_key;
    std::string card_field;
    for (std::size_t n = 0; n <= map.FieldCount() + 1; ++n) map.FieldAt(n, record_key, card_field);
    map.ReadCardBitmaps(section);
  }
  return 0;
}
