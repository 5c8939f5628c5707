#include "platform/base/ini.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <istream>
#include <optional>

#include "platform/base/files.h"
#include "platform/base/text.h"

namespace lumbra {
namespace {

// Longer lines are cut here (the rest of the line is skipped), so a damaged or hostile file
// cannot make a read take unbounded memory. No value the components read comes near it.
constexpr std::size_t kMaxLineBytes = 1 << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits a stream into lines at LF, CR LF or a lone CR; the last line needs no line break.
class LineReader {
 public:
  explicit LineReader(std::istream& in) : buffer_(in.rdbuf()) {}

  bool Next(std::string& line) {
    line.clear();
    if (buffer_ == nullptr) return false;
    using Traits = std::char_traits<char>;
    Traits::int_type ch = buffer_->sbumpc();
    if (Traits::eq_int_type(ch, Traits::eof())) return false;
    while (!Traits::eq_int_type(ch, Traits::eof()) && ch != '\n' && ch != '\r') {
      if (line.size() < kMaxLineBytes) line += Traits::to_char_type(ch);
      ch = buffer_->sbumpc();
    }
    if (ch == '\r' && buffer_->sgetc() == '\n') buffer_->sbumpc();
    return true;
  }

 private:
  std::streambuf* buffer_;
};

// The value of key in section as the file holds it, blanks trimmed; nothing when the file,
// the section or the key is missing. The first occurrence wins.
std::optional<std::string> FindValue(std::istream& in, std::string_view section, std::string_view key) {
  LineReader reader(in);
  std::string raw_line;
  bool first_line = true;
  bool in_section = false;
  while (reader.Next(raw_line)) {
    std::string_view line = raw_line;
    if (first_line && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // editors' UTF-8 mark
    first_line = false;
    line = Trim(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
      in_section = EqualsNoCase(Trim(name), section);
      continue;
    }
    if (!in_section) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || !EqualsNoCase(Trim(line.substr(0, equals)), key)) continue;
    std::string_view value = Trim(line.substr(equals + 1));
    // The platform hands text back through a C buffer: a zero byte ends it.
    value = value.substr(0, value.find('\0'));
    // A value in matching quotes is handed out without them, as the platform does.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::nullopt;
}

bool IsFullPath(std::string_view file) {
  if (file.size() >= 2 && std::isalpha(static_cast<unsigned char>(file[0])) && file[1] == ':') return true;
  return !file.empty() && (file[0] == '\\' || file[0] == '/');
}

}  // namespace

IniReader::IniReader(const FileSystem& files, std::string system_folder)
    : files_(files), system_folder_(std::move(system_folder)) {}

std::string IniReader::ReadString(std::string_view section, std::string_view key, std::string_view fallback,
                                  std::size_t buffer_size, std::string_view file) const {
  std::optional<std::string> value;
  if (!file.empty()) {
    // A name without a full path is looked up in the system folder, as the platform does.
    std::ifstream in = files_.OpenForReading(IsFullPath(file) ? std::string(file) : system_folder_ + std::string(file));
    if (in) value = FindValue(in, section, key);
  }
  std::string result;
  if (value) {
    result = std::move(*value);
  } else {
    // The platform strips trailing blanks from the default.
    result = fallback.substr(0, fallback.find('\0'));
    while (!result.empty() && IsBlank(result.back())) result.pop_back();
  }
  result.resize(std::min(result.size(), buffer_size == 0 ? 0 : buffer_size - 1));
  return result;
}

int IniReader::ReadInt(std::string_view section, std::string_view key, int fallback, std::string_view file) const {
  const std::string value = ReadString(section, key, "", kMaxLineBytes, file);
  std::size_t pos = 0;
  bool negative = false;
  if (pos < value.size() && (value[pos] == '-' || value[pos] == '+')) negative = value[pos++] == '-';
  // As on Windows: a missing or empty value gives the default, a value without digits 0.
  if (value.empty()) return fallback;
  if (pos >= value.size() || !std::isdigit(static_cast<unsigned char>(value[pos]))) return 0;
  long long magnitude = 0;
  for (; pos < value.size() && std::isdigit(static_cast<unsigned char>(value[pos])); ++pos) {
    // Clamp rather than overflow: an absurd number in a settings file must not wrap around.
    magnitude = std::min<long long>(magnitude * 10 + (value[pos] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  const long long signed_value = negative ? -magnitude : std::min<long long>(magnitude, INT_MAX);
  return static_cast<int>(signed_value);
}

}  // namespace lumbra
