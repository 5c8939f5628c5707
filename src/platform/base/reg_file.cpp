#include "platform/base/reg_file.h"

#include <cstdint>
#include <cstdio>

#include "platform/base/text.h"

namespace lumbra {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::size_t kHexLineWidth = 76;

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads hex digits (1 to max_digits of them, nothing else) as a number.
std::optional<std::uint32_t> ParseHexNumber(std::string_view digits, std::size_t max_digits) {
  if (digits.empty() || digits.size() > max_digits) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(d);
  }
  return value;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view source) : lines_(SplitLines(text)), source_(source) {}

  std::vector<RegFileKey> Run() {
    if (!lines_.empty() && lines_[0].starts_with("\xEF\xBB\xBF")) lines_[0].remove_prefix(3);
    if (!lines_.empty() && lines_[0].starts_with("\xFE\xFF")) Fail("the file is UTF-16 big-endian; save it as UTF-8");
    ReadHeader();
    for (; index_ < lines_.size(); ++index_) {
      const std::string_view line = Trim(lines_[index_]);
      if (line.find('\0') != std::string_view::npos) Fail("the line holds a zero byte");
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        ReadSection(line);
      } else if (line.front() == '"' || line.front() == '@') {
        ReadValue(line);
      } else {
        Fail("expected a [key] or a \"name\"=value line");
      }
    }
    return std::move(keys_);
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw RegistryError(std::string(source_) + ": line " + std::to_string(index_ + 1) + ": " + what);
  }

  void ReadHeader() {
    for (; index_ < lines_.size(); ++index_) {
      const std::string_view line = Trim(lines_[index_]);
      if (line.empty()) continue;
      if (line != kHeader && line != kOldHeader) {
        Fail("expected the header \"" + std::string(kHeader) + "\"");
      }
      ++index_;
      return;
    }
    Fail("the file is empty; expected the header \"" + std::string(kHeader) + "\"");
  }

  void ReadSection(std::string_view line) {
    if (line.back() != ']') Fail("the key name lacks its closing \"]\"");
    std::string_view inner = line.substr(1, line.size() - 2);
    RegFileKey key;
    if (inner.starts_with('-')) {
      key.remove = true;
      inner.remove_prefix(1);
    }
    while (inner.ends_with('\\')) inner.remove_suffix(1);
    if (inner.empty()) Fail("empty key name");
    key.path = AnsiFromUtf8(inner);
    key.line = static_cast<int>(index_ + 1);
    keys_.push_back(std::move(key));
  }

  // Reads a quoted string starting at rest[0] == '"'; leaves rest after the closing quote.
  std::string ReadQuoted(std::string_view& rest) const {
    std::string utf8;
    for (std::size_t i = 1; i < rest.size(); ++i) {
      const char c = rest[i];
      if (c == '"') {
        rest.remove_prefix(i + 1);
        return AnsiFromUtf8(utf8);
      }
      if (c == '\\') {
        if (i + 1 == rest.size() || (rest[i + 1] != '\\' && rest[i + 1] != '"')) {
          Fail("a \"\\\" in quotes must be written \"\\\\\"");
        }
        ++i;
        utf8 += rest[i];
      } else {
        utf8 += c;
      }
    }
    Fail("a quoted text lacks its closing quote");
  }

  void ReadValue(std::string_view line) {
    if (keys_.empty()) Fail("a value before the first [key]");
    RegFileValue value;
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else {
      value.name = ReadQuoted(rest);
    }
    rest = Trim(rest);
    if (!rest.starts_with('=')) Fail("expected \"=\" after the value name");
    rest = Trim(rest.substr(1));
    if (keys_.back().remove) Fail("values under a key that is being deleted");
    value.value = ReadData(rest);
    keys_.back().values.push_back(std::move(value));
  }

  std::optional<RegValue> ReadData(std::string_view data) {
    if (data == "-") return std::nullopt;
    if (data.starts_with('"')) {
      std::string text = ReadQuoted(data);
      if (!Trim(data).empty()) Fail("text after the closing quote");
      return RegValue::Text(text);
    }
    if (data.starts_with("dword:")) {
      const auto number = ParseHexNumber(data.substr(6), 8);
      if (!number) Fail("a dword needs 1 to 8 hex digits, as in dword:0000002a");
      return RegValue::Number(*number);
    }
    if (data.starts_with("hex")) return ReadHex(data);
    Fail("unrecognised value data (expected \"text\", dword:, hex: or -)");
  }

  RegValue ReadHex(std::string_view data) {
    RegValue value;
    value.type = RegType::Binary;
    data.remove_prefix(3);
    if (data.starts_with('(')) {
      const auto close = data.find(')');
      const auto type = close == std::string_view::npos ? std::nullopt : ParseHexNumber(data.substr(1, close - 1), 8);
      if (!type) Fail("a hex value type must read hex(N)");
      value.type = static_cast<RegType>(*type);
      data.remove_prefix(close + 1);
    }
    if (!data.starts_with(':')) Fail("expected \":\" after hex");
    std::string joined(data.substr(1));
    // A trailing "\" continues the data on the next line.
    while (!joined.empty() && joined.back() == '\\') {
      joined.pop_back();
      if (index_ + 1 == lines_.size()) Fail("hex data continues past the end of the file");
      ++index_;
      joined += Trim(lines_[index_]);
    }
    std::string_view rest = Trim(joined);
    while (!rest.empty()) {
      const auto comma = rest.find(',');
      const auto byte = ParseHexNumber(Trim(rest.substr(0, comma)), 2);
      if (!byte) Fail("hex data must be bytes such as 0a,ff separated by commas");
      value.bytes += static_cast<char>(*byte);
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
      if (Trim(rest).empty()) Fail("hex data ends with a comma");
    }
    return value;
  }

  std::vector<std::string_view> lines_;
  std::string_view source_;
  std::size_t index_ = 0;
  std::vector<RegFileKey> keys_;
};

std::string Quote(std::string_view ansi) {
  std::string out = "\"";
  for (char c : Utf8FromAnsi(ansi)) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// Text that the quoted form carries without loss: one terminating zero, no line breaks inside.
bool IsPlainText(const RegValue& value) {
  if (value.type != RegType::String || value.bytes.empty() || value.bytes.back() != '\0') return false;
  const std::string_view text(value.bytes.data(), value.bytes.size() - 1);
  return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

std::string FormatData(const RegValue& value, std::size_t line_start) {
  if (IsPlainText(value)) return Quote(value.AsText());
  char buffer[32];
  if (value.type == RegType::Dword && value.bytes.size() == 4) {
    std::snprintf(buffer, sizeof buffer, "dword:%08x", value.AsNumber());
    return buffer;
  }
  std::string out = "hex";
  if (value.type != RegType::Binary) {
    std::snprintf(buffer, sizeof buffer, "(%x)", static_cast<unsigned>(value.type));
    out += buffer;
  }
  out += ':';
  std::size_t column = line_start + out.size();
  for (std::size_t i = 0; i < value.bytes.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(value.bytes[i]));
    out += buffer;
    column += 2;
    if (i + 1 == value.bytes.size()) break;
    out += ',';
    ++column;
    if (column >= kHexLineWidth) {
      out += "\\\n  ";
      column = 2;
    }
  }
  return out;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The registry editor on Windows saves UTF-16 little-endian with a byte-order mark. A lone
// surrogate becomes U+FFFD, which reads as "?" in Windows-1252 like any other foreign character.
std::string Utf8FromUtf16Le(std::string_view bytes) {
  std::string out;
  const auto unit = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t code = unit(i);
    if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    AppendUtf8(out, code);
  }
  return out;
}

}  // namespace

std::vector<RegFileKey> ParseRegText(std::string_view text, std::string_view source_name) {
  if (text.starts_with("\xFF\xFE")) {
    const std::string utf8 = Utf8FromUtf16Le(text.substr(2));
    return Parser(utf8, source_name).Run();
  }
  return Parser(text, source_name).Run();
}

std::string FormatRegText(const std::vector<RegFileKey>& keys) {
  std::string out(kHeader);
  out += "\n\n";
  for (const RegFileKey& key : keys) {
    if (key.remove) continue;
    out += '[' + Utf8FromAnsi(key.path) + "]\n";
    for (const RegFileValue& value : key.values) {
      if (!value.value) continue;
      const std::string name = value.name.empty() ? "@" : Quote(value.name);
      out += name + '=' + FormatData(*value.value, name.size() + 1) + '\n';
    }
    out += '\n';
  }
  return out;
}

}  // namespace lumbra
