#include "site/fault_rules.h"

#include "platform/base/wildcard.h"

#include <nlohmann/json.hpp>

#include <fstream>

namespace lumbra::site {
namespace {

FaultRule ParseRule(const nlohmann::json& json) {
  FaultRule rule;
  rule.path_pattern = json.at("path").get<std::string>();
  rule.method = json.value("method", "");
  if (json.contains("status")) rule.status = json.at("status").get<int>();
  rule.login_page = json.value("login_page", false);
  rule.login_page_offset = json.value("login_page_offset", std::size_t{0});
  rule.delay_ms = json.value("delay_ms", std::uint32_t{0});
  if (json.contains("cut_after")) rule.cut_after = json.at("cut_after").get<std::uint64_t>();
  rule.drop = json.value("drop", false);
  return rule;
}

}  // namespace

bool FaultRule::Matches(std::string_view request_method, std::string_view path) const {
  if (!method.empty() && method != request_method) return false;
  return MatchesWildcard(path_pattern, path);
}

std::vector<FaultRule> LoadFaultRules(const std::filesystem::path& file) {
  std::vector<FaultRule> rules;
  if (file.empty()) return rules;
  std::ifstream in(file);
  if (!in) return rules;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    try {
      rules.push_back(ParseRule(nlohmann::json::parse(line)));
    } catch (const nlohmann::json::exception& error) {
      throw FaultsFileError(file.string() + ":" + std::to_string(number) + ": " + error.what());
    }
  }
  return rules;
}

std::optional<FaultRule> FindFault(const std::vector<FaultRule>& rules, std::string_view method,
                                   std::string_view path) {
  for (const auto& rule : rules) {
    if (rule.Matches(method, path)) return rule;
  }
  return std::nullopt;
}

std::string LoginPage(std::size_t offset) {
  const std::string head = "<html><head><title>Log in</title></head><body>";
  const std::string tail =
      "\" method=\"post\">User <input name=\"user\"> Password <input name=\"pw\" type=\"password\">"
      "</form></body></html>\n";
  std::string page = head;
  const std::string form = "<form action=\"";
  if (offset > page.size() + form.size()) page += std::string(offset - page.size() - form.size(), ' ');
  return page + form + "/getblob.asp" + tail;
}

}  // namespace lumbra::site
