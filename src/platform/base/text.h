#pragma once
// Text as the components keep it: single-byte Windows-1252 ("ANSI") strings.
// The automation interface and every outside view (terminal, journal, registry files)
// use UTF-8; conversion happens only at those edges.
#include <string>
#include <string_view>

namespace lumbra {

// Windows-1252 bytes to UTF-8, with the full code-page table (0x80-0x9F included; the five
// unassigned bytes map to their C1 code points).
std::string Utf8FromAnsi(std::string_view ansi);

// UTF-8 to Windows-1252. A character outside the code page, or a malformed sequence,
// becomes "?".
std::string AnsiFromUtf8(std::string_view utf8);

// Upper-casing with the Windows-1252 letter mapping (a-z; à-þ except ÷; š, œ, ž, ÿ).
// Every other byte is returned unchanged.
char UpperAnsiChar(char c);
std::string UpperAnsi(std::string_view text);

// Compares without regard to case, by the mapping above.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace lumbra
