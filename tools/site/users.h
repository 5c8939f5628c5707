#pragma once
// The users file: one "user:password" per line; blank lines and lines starting with "#" are
// skipped. The password is everything after the first ":".
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace lumbra::site {

class Users {
 public:
  // An empty path makes an open site: every request is let in.
  static Users Load(const std::filesystem::path& file);

  bool Open() const { return open_; }
  // The user a "Basic ..." Authorization header names when the password matches.
  std::optional<std::string> Authenticate(std::string_view authorization) const;

 private:
  bool open_ = true;
  std::map<std::string, std::string> passwords_;
};

// The user name an Authorization header carries, checked or not ("" when there is none).
std::string BasicUser(std::string_view authorization);

}  // namespace lumbra::site
