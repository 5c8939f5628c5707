#pragma once
// Runs one page script in the embedded script engine, with ActiveXObject, print(...) and the
// page's arguments (the global array `args`).
#include <iosfwd>
#include <string>
#include <vector>

namespace lumbra {

// 0 when the script ran to its end; 1 after a script error, reported on `err` as
// "FILE:LINE: message"; 2 when the page cannot be read.
int RunPage(const std::string& page_path, const std::vector<std::string>& args, std::ostream& out,
            std::ostream& err);

}  // namespace lumbra
