// Link files come from the web server. Any bytes must read without harm, with and without
// the placeholder section the batch run passes.
#include <cstdint>

#include "fuzz_files.h"
#include "linkmap/form_link_map.h"

using namespace lumbra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzWorkstation workstation;
  const std::string path = workstation.WriteSystemFile("BADGE.LNK", AsText(data, size));
  CFormLinkMap map(LinkMapOptions::PrintControl(), workstation.Files(), workstation.Ui(), workstation.SystemFolder());
  for (const char* placeholder : {"", "xx"}) {
    std::string card_name = "KEPT.CDF";
    std::string section = placeholder;
    std::size_t events = 99;
    map.ReadLinkFile(path, card_name, section, events);
    if (events != map.EventDllCount()) __builtin_trap();
    for (std::size_t i = 0; i < events; ++i) map.EventDllAt(i);
  }
  return 0;
}
