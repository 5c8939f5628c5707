#pragma once
// What /proc tells of a process: whether it still runs and when it started, which tells a
// reused pid from the process that had it before.
#include <sys/types.h>

#include <cstdint>
#include <optional>

namespace lumbra {

struct ProcessStat {
  char state = '?';              // R, S, D, Z (exited, not yet reaped), ...
  std::uint64_t start_ticks = 0;  // start time after boot, in clock ticks
  bool Running() const { return state != 'Z' && state != 'X'; }
};

// nullopt when no such process exists.
std::optional<ProcessStat> ReadProcessStat(pid_t pid);

}  // namespace lumbra
