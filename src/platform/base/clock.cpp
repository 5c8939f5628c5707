#include "platform/base/clock.h"

#include <chrono>
#include <thread>

namespace lumbra {

std::uint64_t RealClock::NowMs() {
  const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
}

void RealClock::SleepMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace lumbra
