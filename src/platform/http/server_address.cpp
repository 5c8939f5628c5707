#include <algorithm>
#include <cctype>
#include <string>

#include "platform/http/http_client.h"

namespace lumbra {

int ServerAddress::PortFromText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Saturate instead of overflowing: anything past 65535 is no port either way and the request
  // reports it as an invalid URL.
  long value = 0;
  bool any = false;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    any = true;
    value = std::min<long>(value * 10 + (text[i] - '0'), 1'000'000);
  }
  if (!any || negative || value <= 0) return 80;
  return static_cast<int>(value);
}

ServerAddress ServerAddress::FromProperties(std::string_view server_url, std::string_view port_text) {
  return ServerAddress{std::string(server_url), PortFromText(port_text)};
}

std::optional<std::size_t> TextBody::Read(std::span<char> buffer) {
  const std::size_t count = std::min(buffer.size(), bytes_.size() - offset_);
  bytes_.copy(buffer.data(), count, offset_);
  offset_ += count;
  return count;
}

}  // namespace lumbra
