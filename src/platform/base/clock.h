#pragma once
// Monotonic milliseconds and sleep. Real in the product; virtual in tests, where a sleep
// advances time at once so fixed waits cost nothing.
#include <atomic>
#include <cstdint>

namespace lumbra {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint64_t NowMs() = 0;
  virtual void SleepMs(std::uint32_t ms) = 0;
};

class RealClock final : public Clock {
 public:
  std::uint64_t NowMs() override;
  void SleepMs(std::uint32_t ms) override;
};

class VirtualClock final : public Clock {
 public:
  std::uint64_t NowMs() override { return now_; }
  void SleepMs(std::uint32_t ms) override { now_ += ms; slept_ += ms; }
  void Advance(std::uint64_t ms) { now_ += ms; }
  // Total of all sleeps so far, so tests can check the fixed waits that were taken.
  std::uint64_t SleptMs() const { return slept_; }

 private:
  std::atomic<std::uint64_t> now_{0};
  std::atomic<std::uint64_t> slept_{0};
};

}  // namespace lumbra
