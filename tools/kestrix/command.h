#pragma once
// A bracketed command as the controls send it: "[NAME(arg,arg)]", maybe with blanks after it.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumbra::kestrix {

struct Command {
  std::string name;               // upper case
  std::vector<std::string> args;  // one pair of enclosing double quotes removed; the rest as sent
  std::string raw_args;           // the text between the parentheses
};

// FILLFIELD's name and value: split at the first comma outside double quotes, so that a value
// may hold commas and unpaired quotes.
std::pair<std::string, std::string> FieldArguments(std::string_view raw_args);

// Arguments are split at commas outside double quotes. nullopt for text that is not a
// bracketed command.
std::optional<Command> ParseCommand(std::string_view text);

}  // namespace lumbra::kestrix
