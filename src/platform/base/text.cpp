#include "platform/base/text.h"

#include <array>
#include <cstdint>

namespace lumbra {
namespace {

// Code points of the bytes 0x80-0x9F. The five bytes the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for their C1 control code points, as Windows maps them.
constexpr std::array<char32_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char kReplacement = '?';

char32_t CodePointOfAnsi(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControlRange[byte - 0x80];
  return byte;  // ASCII and 0xA0-0xFF coincide with Latin-1
}

// The byte that stands for code point cp, or the replacement character.
char AnsiOfCodePoint(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
    if (kHighControlRange[i] == cp) return static_cast<char>(0x80 + i);
  }
  return kReplacement;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one UTF-8 sequence at text[pos]. On success returns the code point and advances pos
// past it; on a malformed sequence returns nothing and advances pos past its longest valid
// prefix (at least one byte), so that each malformed stretch yields one replacement.
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& cp) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    cp = lead;
    ++pos;
    return true;
  }
  int length = 0;
  char32_t min_second = 0x80;  // bounds of the second byte, which rule out overlong forms,
  char32_t max_second = 0xBF;  // surrogates and code points above U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0F;
    if (lead == 0xE0) min_second = 0xA0;
    if (lead == 0xED) max_second = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07;
    if (lead == 0xF0) min_second = 0x90;
    if (lead == 0xF4) max_second = 0x8F;
  } else {
    ++pos;
    return false;
  }
  ++pos;
  for (int i = 1; i < length; ++i) {
    if (pos >= text.size()) return false;
    const auto byte = static_cast<unsigned char>(text[pos]);
    const bool in_range = i == 1 ? (byte >= min_second && byte <= max_second) : IsContinuation(byte);
    if (!in_range) return false;
    cp = (cp << 6) | (byte & 0x3F);
    ++pos;
  }
  return true;
}

}  // namespace

std::string Utf8FromAnsi(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (const char c : ansi) AppendUtf8(out, CodePointOfAnsi(static_cast<unsigned char>(c)));
  return out;
}

std::string AnsiFromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    out += DecodeUtf8(utf8, pos, cp) ? AnsiOfCodePoint(cp) : kReplacement;
  }
  return out;
}

char UpperAnsiChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 'a' && byte <= 'z') return static_cast<char>(byte - 0x20);
  // à-þ, except the division sign ÷
  if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return static_cast<char>(byte - 0x20);
  switch (byte) {
    case 0x9A: return static_cast<char>(0x8A);  // š -> Š
    case 0x9C: return static_cast<char>(0x8C);  // œ -> Œ
    case 0x9E: return static_cast<char>(0x8E);  // ž -> Ž
    case 0xFF: return static_cast<char>(0x9F);  // ÿ -> Ÿ
    default: return c;
  }
}

std::string UpperAnsi(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAnsiChar(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAnsiChar(a[i]) != UpperAnsiChar(b[i])) return false;
  }
  return true;
}

}  // namespace lumbra
