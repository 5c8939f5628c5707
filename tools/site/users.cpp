#include "site/users.h"

#include <fstream>
#include <stdexcept>

namespace lumbra::site {
namespace {

std::string DecodeBase64(std::string_view text) {
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    const auto at = kAlphabet.find(c);
    if (at == std::string_view::npos) break;  // "=" padding or the end
    bits = (bits << 6) | static_cast<unsigned>(at);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

// "user:password" from a Basic header, nullopt for any other scheme.
std::optional<std::pair<std::string, std::string>> BasicCredentials(std::string_view authorization) {
  constexpr std::string_view kScheme = "Basic ";
  if (authorization.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  const std::string decoded = DecodeBase64(authorization.substr(kScheme.size()));
  const auto colon = decoded.find(':');
  if (colon == std::string::npos) return std::nullopt;
  return std::make_pair(decoded.substr(0, colon), decoded.substr(colon + 1));
}

}  // namespace

Users Users::Load(const std::filesystem::path& file) {
  Users users;
  if (file.empty()) return users;
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read the users file " + file.string());
  users.open_ = false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    users.passwords_[line.substr(0, colon)] = line.substr(colon + 1);
  }
  return users;
}

std::optional<std::string> Users::Authenticate(std::string_view authorization) const {
  const auto credentials = BasicCredentials(authorization);
  if (!credentials) return std::nullopt;
  const auto found = passwords_.find(credentials->first);
  if (found == passwords_.end() || found->second != credentials->second) return std::nullopt;
  return credentials->first;
}

std::string BasicUser(std::string_view authorization) {
  const auto credentials = BasicCredentials(authorization);
  return credentials ? credentials->first : "";
}

}  // namespace lumbra::site
