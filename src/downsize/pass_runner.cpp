#include "downsize/pass_runner.h"

#include <algorithm>
#include <future>
#include <optional>
#include <system_error>
#include <thread>

namespace lumbra {
namespace {

// Pass results by plan index, with the next ones under way on worker threads.
class Lookahead {
 public:
  Lookahead(const std::vector<PassParams>& plan, const PassEncoder& encode)
      : plan_(plan), encode_(encode), pending_(plan.size()) {}
  Lookahead(const Lookahead&) = delete;
  Lookahead& operator=(const Lookahead&) = delete;
  // Pending futures wait for their workers as they are destroyed.
  ~Lookahead() = default;

  EncodedPass Take(std::size_t index) {
    const std::size_t end = std::min(plan_.size(), index + 1 + Workers());
    for (std::size_t next = index + 1; next < end; ++next) {
      if (pending_[next].has_value()) continue;
      try {
        pending_[next] = std::async(std::launch::async, [this, next] { return encode_(plan_[next]); });
      } catch (const std::system_error&) {
        break;  // no thread to be had: the pass is encoded here when its turn comes
      }
    }
    if (pending_[index].has_value()) {
      auto result = pending_[index]->get();
      pending_[index].reset();
      return result;
    }
    return encode_(plan_[index]);
  }

 private:
  static std::size_t Workers() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp<std::size_t>(cores, 1, 4) - 1;
  }

  const std::vector<PassParams>& plan_;
  const PassEncoder& encode_;
  std::vector<std::optional<std::future<EncodedPass>>> pending_;
};

}  // namespace

LoopEnd RunPasses(const LoopStart& start, const PassEncoder& encode) {
  LoopEnd end;
  end.size = start.size;
  end.level = start.first.level;
  const std::vector<PassParams> plan = PlanPasses(start.first, start.step, start.percent);
  Lookahead lookahead(plan, encode);
  while (end.size > start.budget && end.status == 1 && end.level < 256 &&
         end.passes < kMaxPasses) {
    const auto index = static_cast<std::size_t>(end.passes);
    // Past the plan, every pass repeats the last one, so status, size and file stay as they are.
    if (index < plan.size()) {
      EncodedPass pass = lookahead.Take(index);
      end.status = pass.status;
      if (pass.Ok()) {
        end.size = static_cast<std::int64_t>(pass.value.size());
        end.jpeg = std::move(pass.value);
      }
    }
    end.level += start.step;
    ++end.passes;
  }
  end.bound_reached = end.passes == kMaxPasses && end.status == 1 && end.size > start.budget;
  return end;
}

}  // namespace lumbra
