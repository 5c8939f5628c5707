#pragma once
// The byte layout of a SendData body: the form text with its two reserved bytes replaced
// by markers, then one self-describing block per selected file. Receivers split the body
// by these bytes, so they are fixed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumbra {

inline constexpr char kBlockMark = '\xFE';
inline constexpr std::string_view kFieldSeparator = "\xA9\x2D\xAE";
inline constexpr std::string_view kLittleMarker = "<&KVBinarySepLittle>";
inline constexpr std::string_view kBigMarker = "<&KVBinarySepBig>";

// Every 0xFE byte replaced by the little marker, then every 0xDE byte by the big marker.
std::string EscapeFormText(std::string_view form_text);

// The inverse, for receivers.
std::string UnescapeFormText(std::string_view escaped);

struct BlockFields {
  std::optional<std::uint64_t> size;  // none when the header names no size
  std::string table_id;
  std::string field_name;
  std::string where_clause;
  std::string text_stream;
};

// 0xFE "FZ=" size sep "TableID=" table sep "PFN=" field sep "WhereClause=" where sep text 0xFE.
// A size of 0 is written with no digits at all.
std::string BuildBlockHeader(std::uint64_t size, std::string_view table_id,
                             std::string_view field_name, std::string_view where_clause,
                             std::string_view text_stream);

struct ParsedHeader {
  BlockFields fields;
  std::size_t length = 0;  // bytes of the header, both marks included
};

// A block header starting at `at` (which must hold the 0xFE), or none when the bytes there
// are not one. The text stream runs to the first 0xFE after the fourth separator.
std::optional<ParsedHeader> ParseBlockHeader(std::string_view body, std::size_t at);

}  // namespace lumbra
