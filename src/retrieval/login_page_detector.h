#pragma once
// Spots the web server's login page in a body read chunk by chunk: each chunk counts as text up
// to its first zero byte, and a marker that straddles two chunks is found too.
#include <string>
#include <string_view>

namespace lumbra {

class LoginPageDetector {
 public:
  static constexpr std::string_view kMarker = "/getblob.asp";

  // True once the marker has been seen in the chunks fed so far.
  bool Feed(std::string_view chunk);
  bool Found() const { return found_; }

 private:
  std::string tail_;  // the end of the previous chunk's text, shorter than the marker
  bool found_ = false;
};

}  // namespace lumbra
