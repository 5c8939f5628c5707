#pragma once
// The downsizer's status codes of its own and its texts, as pages and operators know them.
#include <cstdint>
#include <string>

namespace lumbra {

// The call fails with this in place of success when no file matches the name.
inline constexpr std::int32_t kDownSizeFileNotFound = -9998;
// The file is still too large when the level passes 255 or the passes run out.
inline constexpr std::int32_t kCannotCompressFurther = -9999;

// GetErrorString's text for a status code; "Unknown error value" for any other code.
std::string ErrorStringOf(std::int32_t code);

// The message texts of DownSize.
inline constexpr const char* kMessageFileNotFound = "ERROR: File not found.";
inline constexpr const char* kMessageNotSmallEnough =
    "Could not downsize image enough to achieve requested size.";
inline constexpr const char* kMessageAlreadySmall = "File is already smaller than requested size.";

// The message for a final status that is not one of the above: 101, 103, 104, 105, or 107
// followed by the code; "" for success.
std::string MessageForStatus(std::int32_t status);

}  // namespace lumbra
