#pragma once
// Bounds on picture sizes. A JPEG side cannot exceed 65535; the pixel count is capped so
// that a hostile header or a page that keeps enlarging a picture gets "Not enough memory"
// instead of exhausting the workstation.
#include <cstdint>

namespace lumbra {

inline constexpr int kMaxSide = 65535;
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 27;

inline bool PixelCountAllowed(std::int64_t width, std::int64_t height) {
  return width * height <= kMaxPixels;
}

}  // namespace lumbra
