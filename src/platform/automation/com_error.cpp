#include "platform/automation/com_error.h"

#include <cstdint>
#include <cstdio>

namespace lumbra {

ComError::ComError(HResult code, std::string description, std::string source,
                   std::string interface_name)
    : code_(code),
      description_(std::move(description)),
      source_(std::move(source)),
      interface_(std::move(interface_name)),
      what_(description_.empty() ? StandardText(code) : description_) {}

// Out of line, so that the type's identity lives in the platform library and a failure
// thrown inside a component module is caught as ComError everywhere.
ComError::~ComError() = default;

std::string ComError::CodeMeaning() const { return StandardText(code_); }

std::string ComErrorReportText(const ComError& error) {
  auto or_null = [](const std::string& text) { return text.empty() ? std::string("null") : text; };
  char code[32];
  std::snprintf(code, sizeof code, "%08x", static_cast<std::uint32_t>(error.Code()));
  return "Oops - hit an error!\n" + std::string("Code = ") + code + "\n" +
         "Code meaning = " + error.CodeMeaning() + "\n" + "Source = " + or_null(error.Source()) +
         "\n" + "Description = " + or_null(error.Description()) + "\n";
}

}  // namespace lumbra
