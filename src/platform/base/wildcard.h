#pragma once
// Name matching with the platform's find wildcards: "*" matches any run of characters, "?"
// exactly one; letters match without regard to case. As on the platform, a pattern that ends
// in ".*" also matches a name without an extension, so "*.*" matches every name.
#include <string_view>

namespace lumbra {

bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace lumbra
