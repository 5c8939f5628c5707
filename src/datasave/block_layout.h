#pragma once
// The byte layout of a SendData body: the form text with its two reserved bytes replaced by
// markers, then one self-describing block per selected file. Receivers split the body by these
// bytes, so they are fixed. Header-only, so that the reference site parses with the same code.
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumbra {

inline constexpr char kBlockMark = '\xFE';
inline constexpr std::string_view kFieldSeparator = "\xA9\x2D\xAE";
inline constexpr std::string_view kLittleMarker = "<&KVBinarySepLittle>";
inline constexpr std::string_view kBigMarker = "<&KVBinarySepBig>";
// A receiver looks no further than this for the end of a header.
inline constexpr std::size_t kMaxBlockHeader = 64 * 1024;

struct BlockFields {
  std::optional<std::uint64_t> size;  // none when the header names no size
  std::string table_id;
  std::string field_name;
  std::string where_clause;
  std::string text_stream;
};

struct ParsedHeader {
  BlockFields fields;
  std::size_t length = 0;  // bytes of the header, both marks included
};

namespace block_layout_detail {

inline std::string ReplaceByte(std::string_view text, char byte, std::string_view marker) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == byte) {
      out += marker;
    } else {
      out += c;
    }
  }
  return out;
}

inline std::string ReplaceText(std::string_view text, std::string_view marker, char byte) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    if (text.substr(at, marker.size()) == marker) {
      out += byte;
      at += marker.size();
    } else {
      out += text[at++];
    }
  }
  return out;
}

// "LABEL" and its value up to the next separator, within `header`; advances `at` past the
// separator.
inline std::optional<std::string_view> TakeField(std::string_view header, std::size_t& at,
                                                 std::string_view label) {
  if (header.substr(at, label.size()) != label) return std::nullopt;
  const std::size_t start = at + label.size();
  const std::size_t end = header.find(kFieldSeparator, start);
  if (end == std::string_view::npos) return std::nullopt;
  const std::string_view value = header.substr(start, end - start);
  if (value.find(kBlockMark) != std::string_view::npos) return std::nullopt;
  at = end + kFieldSeparator.size();
  return value;
}

}  // namespace block_layout_detail

// Every 0xFE byte replaced by the little marker, then every 0xDE byte by the big marker.
inline std::string EscapeFormText(std::string_view form_text) {
  using block_layout_detail::ReplaceByte;
  return ReplaceByte(ReplaceByte(form_text, '\xFE', kLittleMarker), '\xDE', kBigMarker);
}

// The inverse, for receivers.
inline std::string UnescapeFormText(std::string_view escaped) {
  using block_layout_detail::ReplaceText;
  return ReplaceText(ReplaceText(escaped, kBigMarker, '\xDE'), kLittleMarker, '\xFE');
}

// 0xFE "FZ=" size sep "TableID=" table sep "PFN=" field sep "WhereClause=" where sep text 0xFE.
// A size of 0 is written with no digits at all.
inline std::string BuildBlockHeader(std::uint64_t size, std::string_view table_id,
                                    std::string_view field_name, std::string_view where_clause,
                                    std::string_view text_stream) {
  std::string header;
  header += kBlockMark;
  header += "FZ=";
  if (size > 0) header += std::to_string(size);
  header += kFieldSeparator;
  header += "TableID=";
  header += table_id;
  header += kFieldSeparator;
  header += "PFN=";
  header += field_name;
  header += kFieldSeparator;
  header += "WhereClause=";
  header += where_clause;
  header += kFieldSeparator;
  header += text_stream;
  header += kBlockMark;
  return header;
}

// The block header that starts at `at` (which must hold the 0xFE), or none when the bytes there
// are not one. The text stream runs to the first 0xFE after the fourth separator.
inline std::optional<ParsedHeader> ParseBlockHeader(std::string_view body, std::size_t at) {
  using block_layout_detail::TakeField;
  if (at >= body.size() || body[at] != kBlockMark) return std::nullopt;
  const std::string_view header = body.substr(at, kMaxBlockHeader);
  std::size_t cursor = 1;
  const auto size = TakeField(header, cursor, "FZ=");
  if (!size) return std::nullopt;
  ParsedHeader parsed;
  if (!size->empty()) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(size->data(), size->data() + size->size(), value);
    if (error != std::errc() || end != size->data() + size->size()) return std::nullopt;
    parsed.fields.size = value;
  }
  const auto table = TakeField(header, cursor, "TableID=");
  const auto field = table ? TakeField(header, cursor, "PFN=") : std::nullopt;
  const auto where = field ? TakeField(header, cursor, "WhereClause=") : std::nullopt;
  const std::size_t close = where ? header.find(kBlockMark, cursor) : std::string_view::npos;
  if (close == std::string_view::npos) return std::nullopt;
  parsed.fields.table_id = *table;
  parsed.fields.field_name = *field;
  parsed.fields.where_clause = *where;
  parsed.fields.text_stream = header.substr(cursor, close - cursor);
  parsed.length = close + 1;
  return parsed;
}

}  // namespace lumbra
