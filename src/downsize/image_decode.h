#pragma once
// Reads any picture format the library knows from its bytes: the format is told by content,
// not by the file name's extension.
#include <cstdint>
#include <span>

#include "downsize/pixels.h"

namespace lumbra {

Decoded<ImageHeader> ReadHeader(std::span<const std::uint8_t> bytes);
Decoded<Pixels> DecodeImage(std::span<const std::uint8_t> bytes);

}  // namespace lumbra
