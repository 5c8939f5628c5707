#pragma once
// The image downsizer, class DownSize with interface IDownSize: recompresses an image file to
// JPEG, raising the compression level and optionally shrinking the picture on every pass,
// until the file fits a byte budget.
#include <cstdint>
#include <string>

#include "platform/automation/dispatch.h"
#include "platform/base/services.h"

namespace lumbra {

class DownSize final : public DispatchObject {
 public:
  explicit DownSize(Services& services);

  const DispatchTable& Dispatch() const override;

  // IDownSize.DownSize: the final status code (1 success, -1..-16 image library, -9999 not
  // small enough). Throws ComError with code -9998 when no file matches the name.
  // `file_name` is UTF-8, as automation text is.
  std::int32_t DownSizeFile(const std::string& file_name, std::int32_t byte_size,
                            std::int32_t change_compression, std::int32_t compression,
                            std::int32_t percent);
  void ShowErrors(std::int16_t show);
  std::string GetErrorString(std::int32_t code) const;

 private:
  void Report(const std::string& text) const;

  Services& services_;
  bool show_errors_ = true;
};

}  // namespace lumbra
