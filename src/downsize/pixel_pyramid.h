#pragma once
// A picture and its successive halvings (2 x 2 averages), built as passes ask for them. A
// pass that shrinks the picture to half or less resamples from the smallest halving still at
// least its size, so the resampling filter never reads more than four times the pixels it
// writes: the cost of a pass follows its own size, not the original's. Every level is a pure
// function of the one above, so the pixels a pass gets never depend on which passes came first.
#include <deque>
#include <mutex>

#include "downsize/pixels.h"

namespace lumbra {

class PixelPyramid {
 public:
  explicit PixelPyramid(Pixels source);
  PixelPyramid(const PixelPyramid&) = delete;
  PixelPyramid& operator=(const PixelPyramid&) = delete;

  const Pixels& Source() const { return levels_.front(); }
  // The level to resample from for a width x height result. Safe from several threads.
  const Pixels& LevelFor(int width, int height) const;

 private:
  mutable std::mutex mutex_;
  mutable std::deque<Pixels> levels_;  // a deque keeps handed-out references valid as it grows
};

}  // namespace lumbra
