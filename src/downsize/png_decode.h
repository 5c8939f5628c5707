#pragma once
// PNG reading over libpng.
#include <cstdint>
#include <span>

#include "downsize/pixels.h"

namespace lumbra {

bool LooksLikePng(std::span<const std::uint8_t> bytes);
Decoded<ImageHeader> ReadPngHeader(std::span<const std::uint8_t> bytes);
Decoded<Pixels> DecodePng(std::span<const std::uint8_t> bytes);

}  // namespace lumbra
