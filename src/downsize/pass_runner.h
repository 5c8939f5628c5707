#pragma once
// Runs the DownSize loop over planned passes. The loop is the sequential one (each pass's
// size decides whether the next runs); the encoding of the passes that may follow is started
// ahead on the other cores, and a pass that turns out not to be needed is simply dropped, so
// the outcome is the sequential loop's whatever the timing.
#include <cstdint>
#include <functional>
#include <vector>

#include "downsize/pass_plan.h"
#include "downsize/pixels.h"

namespace lumbra {

using EncodedPass = Decoded<std::vector<std::uint8_t>>;
// Must be safe to call from several threads at once.
using PassEncoder = std::function<EncodedPass(const PassParams&)>;

struct LoopStart {
  std::int64_t size = 0;    // the file's size before any pass
  std::int64_t budget = 0;  // nByteSize
  int step = 0;             // nChangeCompression
  int percent = 0;          // nPercent
  PassParams first;         // the image's own size, level nCompression
};

struct LoopEnd {
  int status = 1;
  std::int64_t size = 0;
  std::int64_t level = 0;
  int passes = 0;
  bool bound_reached = false;       // kMaxPasses ran and the file is still too large
  std::vector<std::uint8_t> jpeg;   // the last pass that succeeded; empty when none did
};

LoopEnd RunPasses(const LoopStart& start, const PassEncoder& encode);

}  // namespace lumbra
