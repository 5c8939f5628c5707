#pragma once
// Every other format stb_image reads: BMP, GIF (first frame), TGA, PSD, PNM, HDR, PIC.
#include <cstdint>
#include <span>

#include "downsize/pixels.h"

namespace lumbra {

Decoded<ImageHeader> ReadStbHeader(std::span<const std::uint8_t> bytes);
Decoded<Pixels> DecodeWithStb(std::span<const std::uint8_t> bytes);

}  // namespace lumbra
