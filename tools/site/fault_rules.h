#pragma once
// Fault injection. The faults file holds one JSON object per line; the first rule whose pattern
// matches the request decides. Fields:
//   "path":   pattern for the request path ("*" and "?" wildcards, case ignored); required
//   "method": "GET" or "POST"; any method when absent
//   "status": answer with this status and a short text body
//   "login_page": true: answer 200 with a login page that holds "/getblob.asp"
//   "login_page_offset": N: in that page the marker starts at byte N
//   "delay_ms": N: wait this long before answering
//   "cut_after": N: announce the whole body but send only its first N bytes, then close
//   "drop": true: close the connection without any answer
// Blank lines and lines starting with "#" are skipped.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra::site {

struct FaultRule {
  std::string path_pattern;
  std::string method;
  std::optional<int> status;
  bool login_page = false;
  std::size_t login_page_offset = 0;
  std::uint32_t delay_ms = 0;
  std::optional<std::uint64_t> cut_after;
  bool drop = false;

  bool Matches(std::string_view method, std::string_view path) const;
};

// Thrown for a faults file that cannot be read or parsed; the text names the file and line.
struct FaultsFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the rules now; an empty path or a missing file means no faults.
std::vector<FaultRule> LoadFaultRules(const std::filesystem::path& file);

// The first rule that applies to the request.
std::optional<FaultRule> FindFault(const std::vector<FaultRule>& rules, std::string_view method,
                                   std::string_view path);

// The page a login fault answers with; "/getblob.asp" starts at `offset` (or right after the
// page's opening when the offset is too small for it).
std::string LoginPage(std::size_t offset);

}  // namespace lumbra::site
