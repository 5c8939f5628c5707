#pragma once
// One line of the Ploxen library's bitmap list.
#include <string>
#include <string_view>
#include <vector>

namespace lumbra {

// Appends the bitmap of every entry of a line, in order. An entry is
// FIELD1~FIELD2~BITMAPNAME~FIELD4 closed by "|"; only its third item is used. An entry
// without three "~" or without its "|" ends the line and adds nothing. A line without any
// "~" holds no entries.
void AppendPloxenBitmaps(std::string_view line, std::vector<std::string>& bitmaps);

}  // namespace lumbra
