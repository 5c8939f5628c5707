#pragma once
// A decoded picture as the JPEG encoder takes it: 8-bit grey (1 channel) or 8-bit RGB
// (3 channels), rows top to bottom, no padding. Alpha is already composed onto white.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumbra {

struct Pixels {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<std::uint8_t> data;

  bool Grey() const { return channels == 1; }
  std::size_t RowBytes() const { return static_cast<std::size_t>(width) * channels; }
};

// What a file's header says: its dimensions and stored bits per pixel.
struct ImageHeader {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 0;
};

// Either a value or the library status that explains why there is none.
template <typename T>
struct Decoded {
  int status = 1;
  T value{};

  bool Ok() const { return status == 1; }
};

}  // namespace lumbra
