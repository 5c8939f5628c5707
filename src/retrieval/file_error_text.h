#pragma once
// The platform's standard texts for a local file error, as its file-error report shows them.
#include <string>
#include <string_view>

namespace lumbra {

// The text for an errno value met while creating or writing `path`.
std::string FileErrorText(std::string_view path, int error_number);

}  // namespace lumbra
