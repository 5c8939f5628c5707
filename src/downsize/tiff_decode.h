#pragma once
// TIFF reading over libtiff (first page).
#include <cstdint>
#include <span>

#include "downsize/pixels.h"

namespace lumbra {

bool LooksLikeTiff(std::span<const std::uint8_t> bytes);
Decoded<ImageHeader> ReadTiffHeader(std::span<const std::uint8_t> bytes);
Decoded<Pixels> DecodeTiff(std::span<const std::uint8_t> bytes);

}  // namespace lumbra
