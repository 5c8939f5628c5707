// Card files come from the web server; every line may name bitmaps, the last one too.
#include <cstdint>

#include "fuzz_files.h"
#include "linkmap/form_link_map.h"

using namespace lumbra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzWorkstation workstation;
  const std::string path = workstation.WriteSystemFile("FRONT.CDF", AsText(data, size));
  CFormLinkMap map(LinkMapOptions::PrintControl(), workstation.Files(), workstation.Ui(),
                   workstation.SystemFolder());
  const std::size_t first = map.ReadCardBitmaps(path);
  // The list grows from card to card.
  if (map.ReadCardBitmaps(path) != 2 * first) __builtin_trap();
  for (std::size_t i = 0; i < first; ++i) {
    if (map.BitmapAt(i) != map.BitmapAt(first + i)) __builtin_trap();
  }
  return 0;
}
