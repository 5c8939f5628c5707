#include "platform/base/wildcard.h"

#include "platform/base/text.h"

namespace lumbra {
namespace {

// Greedy match with one backtrack point: the last "*" seen absorbs one more character each
// time the rest fails. Linear in memory, and quadratic at worst in time.
bool MatchesPlain(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;
  std::size_t star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || UpperAnsiChar(pattern[p]) == UpperAnsiChar(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (MatchesPlain(pattern, name)) return true;
  return pattern.ends_with(".*") && name.find('.') == std::string_view::npos &&
         MatchesPlain(pattern.substr(0, pattern.size() - 2), name);
}

}  // namespace lumbra
