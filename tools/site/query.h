#pragma once
// The query of a page request as the site's pages read it: "&" separates the pairs, the first
// "=" of a pair separates name and value ("where=ID=5" has the value "ID=5"), and %XX and "+"
// are decoded. Names compare without regard to case.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumbra::site {

class Query {
 public:
  explicit Query(std::string_view query_text);

  bool Has(std::string_view name) const { return Find(name).has_value(); }
  // The first value of `name`, "" when absent.
  std::string Value(std::string_view name) const { return Find(name).value_or(""); }

 private:
  std::optional<std::string> Find(std::string_view name) const;

  std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace lumbra::site
