#include "site/query.h"

#include <algorithm>

#include "platform/base/text.h"

namespace lumbra::site {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Decode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

Query::Query(std::string_view text) {
  while (!text.empty()) {
    const auto end = std::min(text.find('&'), text.size());
    const std::string_view pair = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (pair.empty()) continue;
    const auto equals = pair.find('=');
    if (equals == std::string_view::npos) {
      pairs_.emplace_back(Decode(pair), "");
    } else {
      pairs_.emplace_back(Decode(pair.substr(0, equals)), Decode(pair.substr(equals + 1)));
    }
  }
}

std::optional<std::string> Query::Find(std::string_view name) const {
  for (const auto& [key, value] : pairs_) {
    if (EqualsNoCase(key, name)) return value;
  }
  return std::nullopt;
}

}  // namespace lumbra::site
