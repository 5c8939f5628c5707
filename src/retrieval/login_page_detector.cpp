#include "retrieval/login_page_detector.h"

#include <algorithm>

namespace lumbra {

bool LoginPageDetector::Feed(std::string_view chunk) {
  if (found_) return true;
  const auto zero = chunk.find('\0');
  const std::string_view text = chunk.substr(0, zero);
  std::string window = tail_;
  window.append(text);
  found_ = window.find(kMarker) != std::string::npos;
  // Text that stopped at a zero byte does not run on into the next chunk.
  tail_.clear();
  if (zero == std::string_view::npos) {
    const std::size_t keep = std::min(window.size(), kMarker.size() - 1);
    tail_ = window.substr(window.size() - keep);
  }
  return found_;
}

}  // namespace lumbra
