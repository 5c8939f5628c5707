#pragma once
#include <cstdint>

#include "downsize/pixels.h"

namespace lumbra {

// Turns 8-bit samples with 1 to 4 channels (grey, grey+alpha, RGB, RGBA) into grey or RGB
// pixels; alpha is composed onto white, as a transparent area shows on a page.
Pixels ComposeOntoWhite(const std::uint8_t* samples, int width, int height, int channels);

}  // namespace lumbra
