#pragma once
// The passes a DownSize call would run, worked out ahead of the encoding: every pass's width,
// height and level follow from the previous pass alone, never from its result.
#include <cstdint>
#include <vector>

namespace lumbra {

struct PassParams {
  int width = 0;
  int height = 0;
  std::int64_t level = 0;  // wide, so that any step a page passes adds up without overflow

  friend bool operator==(const PassParams&, const PassParams&) = default;
};

// The loop bound for steps that never reach level 256 (a step of 0 or less): a step of 1
// from the best level 2 takes 254 passes to pass 255, so no positive step ever meets it.
inline constexpr int kMaxPasses = 256;

// T(d): nPercent of d, with 0.01 as the single-precision value the original used
// (0.0099999998), the product in double precision, truncated toward zero.
std::int64_t PercentOf(int dimension, int percent);

// The pass after `pass`: dimensions shrink by `percent` (when positive and the dimension is
// still positive); the level rises by `step`.
PassParams NextPass(const PassParams& pass, int step, int percent);

// The passes from `first` while the level stays below 256, at most kMaxPasses of them, and
// cut short where a pass would repeat the previous one exactly: every later pass is then the
// same as the last one planned.
std::vector<PassParams> PlanPasses(PassParams first, int step, int percent);

}  // namespace lumbra
