#pragma once
// The configuration files read as plain text, cut into lines.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra {

class FileSystem;

// Whether a last line without a line feed counts as a line.
enum class LastLine { Ignore, Keep };

// The file's lines without their line feed and the carriage return before it; nullopt when
// the file cannot be opened.
std::optional<std::vector<std::string>> ReadTextLines(const FileSystem& files, std::string_view path,
                                                      LastLine last_line);

// The same, for text already in memory.
std::vector<std::string> SplitTextLines(std::string_view text, LastLine last_line);

}  // namespace lumbra
