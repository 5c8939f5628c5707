#include "command.h"

#include "platform/base/text.h"

namespace lumbra::kestrix {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

std::string Unquote(std::string_view text) {
  text = Trim(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  return std::string(text);
}

}  // namespace

std::optional<Command> ParseCommand(std::string_view text) {
  text = Trim(text);
  if (text.size() < 2 || text.front() != '[' || text.back() != ']') return std::nullopt;
  text = text.substr(1, text.size() - 2);
  Command command;
  std::size_t open = text.find('(');
  if (open == std::string_view::npos) {
    command.name = UpperAnsi(Trim(text));
    return command.name.empty() ? std::nullopt : std::optional(command);
  }
  if (text.back() != ')') return std::nullopt;
  command.name = UpperAnsi(Trim(text.substr(0, open)));
  std::string_view args = text.substr(open + 1, text.size() - open - 2);
  command.raw_args = std::string(args);
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= args.size(); ++i) {
    if (i < args.size() && args[i] == '"') quoted = !quoted;
    if (i == args.size() || (args[i] == ',' && !quoted)) {
      command.args.push_back(Unquote(args.substr(start, i - start)));
      start = i + 1;
    }
  }
  if (command.args.size() == 1 && command.args[0].empty()) command.args.clear();
  return command;
}

std::pair<std::string, std::string> FieldArguments(std::string_view raw_args) {
  bool quoted = false;
  for (std::size_t i = 0; i < raw_args.size(); ++i) {
    if (raw_args[i] == '"') quoted = !quoted;
    if (raw_args[i] == ',' && !quoted) return {Unquote(raw_args.substr(0, i)), Unquote(raw_args.substr(i + 1))};
  }
  return {Unquote(raw_args), ""};
}

}  // namespace lumbra::kestrix
