#include "downsize/compose.h"

#include <cstddef>

namespace lumbra {
namespace {

std::uint8_t OverWhite(std::uint8_t value, std::uint8_t alpha) {
  return static_cast<std::uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

}  // namespace

Pixels ComposeOntoWhite(const std::uint8_t* samples, int width, int height, int channels) {
  const bool has_alpha = channels == 2 || channels == 4;
  Pixels out;
  out.width = width;
  out.height = height;
  out.channels = channels <= 2 ? 1 : 3;
  const std::size_t count = static_cast<std::size_t>(width) * height;
  out.data.resize(count * out.channels);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* in = samples + i * channels;
    const std::uint8_t alpha = has_alpha ? in[channels - 1] : 255;
    for (int c = 0; c < out.channels; ++c) {
      out.data[i * out.channels + c] = has_alpha ? OverWhite(in[c], alpha) : in[c];
    }
  }
  return out;
}

}  // namespace lumbra
