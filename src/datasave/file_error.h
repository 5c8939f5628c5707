#pragma once
// The texts the operator sees for a local file error, in the platform's own words.
#include <string>
#include <string_view>

namespace lumbra {

// "The system cannot find the file specified." and the like, for an errno value.
std::string FileErrorText(int error);

// The file-error report: the path, then the reason.
std::string FileErrorReport(std::string_view path, int error);

}  // namespace lumbra
