#include "linkmap/ploxen_line.h"

namespace lumbra {

void AppendPloxenBitmaps(std::string_view line, std::vector<std::string>& bitmaps) {
  if (line.find('~') == std::string_view::npos) return;
  while (!line.empty()) {
    const auto close = line.find('|');
    if (close == std::string_view::npos) return;
    const std::string_view entry = line.substr(0, close);
    const auto first = entry.find('~');
    if (first == std::string_view::npos) return;
    const auto second = entry.find('~', first + 1);
    if (second == std::string_view::npos) return;
    const auto third = entry.find('~', second + 1);
    if (third == std::string_view::npos) return;
    bitmaps.emplace_back(entry.substr(second + 1, third - second - 1));
    line.remove_prefix(close + 1);
  }
}

}  // namespace lumbra
