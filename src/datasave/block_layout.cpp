#include "datasave/block_layout.h"

#include <charconv>

namespace lumbra {
namespace {

std::string ReplaceByte(std::string_view text, char byte, std::string_view marker) {
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

std::string ReplaceText(std::string_view text, std::string_view marker, char byte) {
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

// Reads "LABEL" + value up to the next separator; advances `at` past the separator.
std::optional<std::string_view> TakeField(std::string_view body, std::size_t& at,
                                          std::string_view label) {
  if (body.substr(at, label.size()) != label) return std::nullopt;
  const std::size_t start = at + label.size();
  const std::size_t end = body.find(kFieldSeparator, start);
  if (end == std::string_view::npos) return std::nullopt;
  const std::string_view value = body.substr(start, end - start);
  if (value.find(kBlockMark) != std::string_view::npos) return std::nullopt;
  at = end + kFieldSeparator.size();
  return value;
}

}  // namespace

std::string EscapeFormText(std::string_view form_text) {
  return ReplaceByte(ReplaceByte(form_text, '\xFE', kLittleMarker), '\xDE', kBigMarker);
}

std::string UnescapeFormText(std::string_view escaped) {
  return ReplaceText(ReplaceText(escaped, kBigMarker, '\xDE'), kLittleMarker, '\xFE');
}

std::string BuildBlockHeader(std::uint64_t size, std::string_view table_id,
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

std::optional<ParsedHeader> ParseBlockHeader(std::string_view body, std::size_t at) {
  if (at >= body.size() || body[at] != kBlockMark) return std::nullopt;
  std::size_t cursor = at + 1;
  const auto size = TakeField(body, cursor, "FZ=");
  if (!size) return std::nullopt;
  ParsedHeader parsed;
  if (!size->empty()) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(size->data(), size->data() + size->size(), value);
    if (error != std::errc() || end != size->data() + size->size()) return std::nullopt;
    parsed.fields.size = value;
  }
  const auto table = TakeField(body, cursor, "TableID=");
  if (!table) return std::nullopt;
  const auto field = TakeField(body, cursor, "PFN=");
  if (!field) return std::nullopt;
  const auto where = TakeField(body, cursor, "WhereClause=");
  if (!where) return std::nullopt;
  const std::size_t close = body.find(kBlockMark, cursor);
  if (close == std::string_view::npos) return std::nullopt;
  parsed.fields.table_id = *table;
  parsed.fields.field_name = *field;
  parsed.fields.where_clause = *where;
  parsed.fields.text_stream = body.substr(cursor, close - cursor);
  parsed.length = close + 1 - at;
  return parsed;
}

}  // namespace lumbra
