#pragma once
// A failed automation call: status code, the source that raised it (usually a ProgID), its
// description and the interface it was raised on. Components throw it from their members;
// the dispatch layer passes it on to the caller unchanged.
#include <exception>
#include <string>

#include "platform/automation/hresult.h"

namespace lumbra {

class ComError : public std::exception {
 public:
  explicit ComError(HResult code, std::string description = {}, std::string source = {},
                    std::string interface_name = {});
  ~ComError() override;

  HResult Code() const { return code_; }
  const std::string& Source() const { return source_; }
  // As the raising object supplied it; may be empty.
  const std::string& Description() const { return description_; }
  const std::string& Interface() const { return interface_; }
  // StandardText(Code()).
  std::string CodeMeaning() const;

  // The description, or the standard text when there is none.
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  HResult code_;
  std::string description_;
  std::string source_;
  std::string interface_;
  std::string what_;
};

// The five-line report of a failure ("Oops - hit an error!\n", "Code = %08lx\n",
// "Code meaning = %s\n", "Source = %s\n", "Description = %s\n"; empty parts read "null").
std::string ComErrorReportText(const ComError& error);

}  // namespace lumbra
