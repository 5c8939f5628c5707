#pragma once
// Starting a command line as a new process, the stand-in for the platform's "run this command
// line shown minimised without taking the focus". The line is split at blanks (no quoting);
// its first word is a path of the file layer. The result follows the platform's convention:
// 32 or more is success, below that an error number.
#include <sys/types.h>

#include <cstdint>
#include <string_view>

namespace lumbra {

class FileSystem;

inline constexpr std::uint32_t kLaunchOutOfResources = 0;
inline constexpr std::uint32_t kLaunchFileNotFound = 2;
inline constexpr std::uint32_t kLaunchPathNotFound = 3;
inline constexpr std::uint32_t kLaunchBadFormat = 11;
inline constexpr std::uint32_t kLaunchStarted = 33;

struct LaunchResult {
  std::uint32_t code = kLaunchFileNotFound;
  pid_t pid = 0;  // of the started process, 0 when none
  bool Started() const { return code >= 32; }
};

// The started process is reaped when it exits, so none is left as a zombie. Its standard
// input is /dev/null; it inherits no descriptor of ours but standard output and error.
LaunchResult LaunchCommandLine(const FileSystem& files, std::string_view command_line);

// Whether a process exists and has not exited (a zombie counts as exited).
bool ProcessAlive(pid_t pid);

}  // namespace lumbra
