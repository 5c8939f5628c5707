#pragma once
// Status codes of the image library: 1 is success, -1 .. -16 are its failures. The downsizer
// hands them on to the page unchanged, so their numbers are fixed.

namespace lumbra::image_status {

inline constexpr int kSuccess = 1;
inline constexpr int kNoMemory = -1;
inline constexpr int kWriteError = -5;
inline constexpr int kReadError = -7;
inline constexpr int kInvalidFilename = -8;
inline constexpr int kInvalidFormat = -9;
inline constexpr int kFileNotFound = -10;
inline constexpr int kInvalidSize = -11;
inline constexpr int kUnsupportedSubtype = -12;
inline constexpr int kInvalidParameter = -13;
inline constexpr int kCannotOpen = -14;
inline constexpr int kFeatureNotSupported = -16;

}  // namespace lumbra::image_status
