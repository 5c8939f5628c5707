#include "linkmap/text_lines.h"

#include <iterator>

#include "platform/base/files.h"

namespace lumbra {

std::vector<std::string> SplitTextLines(std::string_view text, LastLine last_line) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    if (end == std::string_view::npos && last_line == LastLine::Ignore) break;
    std::string_view line = text.substr(0, end);
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  }
  return lines;
}

std::optional<std::vector<std::string>> ReadTextLines(const FileSystem& files, std::string_view path,
                                                      LastLine last_line) {
  std::ifstream in = files.OpenForReading(path);
  if (!in.is_open()) return std::nullopt;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return SplitTextLines(text, last_line);
}

}  // namespace lumbra
