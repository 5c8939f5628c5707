#include "downsize/pixel_pyramid.h"

#include <algorithm>
#include <cstddef>

namespace lumbra {
namespace {

// Odd sizes round up; the last column or row then averages with itself.
Pixels Halve(const Pixels& in) {
  Pixels out{(in.width + 1) / 2, (in.height + 1) / 2, in.channels, {}};
  out.data.resize(out.RowBytes() * out.height);
  const int channels = in.channels;
  for (int y = 0; y < out.height; ++y) {
    const std::uint8_t* top = in.data.data() + static_cast<std::size_t>(2 * y) * in.RowBytes();
    const std::uint8_t* bottom =
        in.data.data() + static_cast<std::size_t>(std::min(2 * y + 1, in.height - 1)) * in.RowBytes();
    std::uint8_t* row = out.data.data() + static_cast<std::size_t>(y) * out.RowBytes();
    for (int x = 0; x < out.width; ++x) {
      const std::size_t left = static_cast<std::size_t>(2 * x) * channels;
      const std::size_t right = static_cast<std::size_t>(std::min(2 * x + 1, in.width - 1)) * channels;
      for (int c = 0; c < channels; ++c) {
        row[x * channels + c] = static_cast<std::uint8_t>(
            (top[left + c] + top[right + c] + bottom[left + c] + bottom[right + c] + 2) / 4);
      }
    }
  }
  return out;
}

bool AtLeast(const Pixels& level, int width, int height) {
  return level.width >= width && level.height >= height;
}

}  // namespace

PixelPyramid::PixelPyramid(Pixels source) { levels_.push_back(std::move(source)); }

// The deepest level at least the result's size, whatever levels earlier calls built.
const Pixels& PixelPyramid::LevelFor(int width, int height) const {
  std::lock_guard lock(mutex_);
  std::size_t level = 0;
  while (true) {
    if (level + 1 == levels_.size()) {
      const Pixels& last = levels_.back();
      const Pixels would_be{(last.width + 1) / 2, (last.height + 1) / 2, last.channels, {}};
      const bool smaller = would_be.width < last.width || would_be.height < last.height;
      if (!smaller || !AtLeast(would_be, width, height)) return last;
      levels_.push_back(Halve(last));
    }
    if (!AtLeast(levels_[level + 1], width, height)) return levels_[level];
    ++level;
  }
}

}  // namespace lumbra
