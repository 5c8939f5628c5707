#include "downsize/down_size_texts.h"

#include "downsize/image_status.h"

namespace lumbra {

std::string ErrorStringOf(std::int32_t code) {
  switch (code) {
    case -1: return "Not enough memory available";
    case -2: return "Invalid bitmap handle";
    case -3: return "Not enough memory available";
    case -4: return "Error seeking to position";
    case -5: return "Error writing file";
    case -6: return "File not present - abort";
    case -7: return "Error reading file";
    case -8: return "Invalid filename specified";
    case -9: return "Invalid file format";
    case -10: return "File not found";
    case -11: return "Invalid width/height";
    case -12: return "Image format recognized, but sub-type not supported";
    case -13: return "Invalid parameter passed";
    case -14: return "Not able to open file";
    case -15: return "Unknown compression format";
    case -16: return "Feature not supported";
    case kDownSizeFileNotFound: return "File not found";
    case kCannotCompressFurther: return "Can't compress any further";
    default: return "Unknown error value";
  }
}

std::string MessageForStatus(std::int32_t status) {
  switch (status) {
    case image_status::kSuccess: return "";
    case image_status::kFileNotFound: return kMessageFileNotFound;
    case image_status::kCannotOpen:
      return "File cannot be opened.  It may already be open or may be read-only. ";
    case image_status::kInvalidFormat: return "ERROR: Invalid file format.";
    case image_status::kUnsupportedSubtype: return "ERROR: Invalid image format.";
    default: return "Could not downsize image.  Error #" + std::to_string(status);
  }
}

}  // namespace lumbra
