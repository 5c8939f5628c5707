// The Ploxen bitmap list is fetched like the other site files. Its entries must never stall
// a line, whatever they hold. The first line of the input is the link name asked for.
#include <cstdint>

#include "fuzz_files.h"
#include "linkmap/form_link_map.h"

using namespace lumbra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzWorkstation workstation;
  std::string_view input = AsText(data, size);
  const auto end = input.find('\n');
  const std::string link_name(input.substr(0, end));
  input = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);
  workstation.WriteSystemFile("ploxen.ini", input);

  CFormLinkMap map(LinkMapOptions::PrintControl(), workstation.Files(), workstation.Ui(),
                   workstation.SystemFolder());
  map.ReadPloxenBitmaps(link_name, workstation.SystemFolder());
  // Each name is the item of an entry: it cannot span an entry's closing "|" or a "~".
  for (std::size_t i = 0; i < map.BitmapCount(); ++i) {
    const std::string name = map.BitmapAt(i);
    if (name.find('|') != std::string::npos || name.find('~') != std::string::npos) __builtin_trap();
  }
  return 0;
}
