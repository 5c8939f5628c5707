#include "downsize/pass_plan.h"

#include <algorithm>
#include <limits>

namespace lumbra {
namespace {

constexpr float kOnePercent = 0.01f;

int ClampToInt(double value) {
  return static_cast<int>(std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                     static_cast<double>(std::numeric_limits<int>::max())));
}

int Shrunk(int dimension, int percent) {
  if (dimension <= 0 || percent <= 0) return dimension;
  return ClampToInt(static_cast<double>(dimension) - static_cast<double>(PercentOf(dimension, percent)));
}

}  // namespace

std::int64_t PercentOf(int dimension, int percent) {
  const double product = static_cast<double>(percent) * static_cast<double>(kOnePercent) *
                         static_cast<double>(dimension);
  return static_cast<std::int64_t>(product);
}

PassParams NextPass(const PassParams& pass, int step, int percent) {
  return {Shrunk(pass.width, percent), Shrunk(pass.height, percent), pass.level + step};
}

std::vector<PassParams> PlanPasses(PassParams first, int step, int percent) {
  std::vector<PassParams> passes;
  for (PassParams pass = first; pass.level < 256 && passes.size() < kMaxPasses;
       pass = NextPass(pass, step, percent)) {
    if (!passes.empty() && passes.back() == pass) break;
    passes.push_back(pass);
  }
  return passes;
}

}  // namespace lumbra
