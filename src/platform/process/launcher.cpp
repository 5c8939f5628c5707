#include "platform/process/launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/files.h"
#include "platform/process/process_stat.h"

extern char** environ;

namespace lumbra {
namespace {

std::vector<std::string> SplitAtBlanks(std::string_view line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    std::size_t end = line.find(' ', at);
    if (end == std::string_view::npos) end = line.size();
    if (end > at) words.emplace_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

std::uint32_t CodeForSpawnError(int error, const std::filesystem::path& program) {
  switch (error) {
    case ENOENT: {
      std::error_code ignored;
      return std::filesystem::is_directory(program.parent_path(), ignored) ? kLaunchFileNotFound : kLaunchPathNotFound;
    }
    case ENOTDIR:
      return kLaunchPathNotFound;
    case ENOEXEC:
    case EACCES:
    case EISDIR:
      return kLaunchBadFormat;
    default:
      return kLaunchOutOfResources;
  }
}

}  // namespace

LaunchResult LaunchCommandLine(const FileSystem& files, std::string_view command_line) {
  std::vector<std::string> words = SplitAtBlanks(command_line);
  if (words.empty()) return {kLaunchFileNotFound, 0};
  std::filesystem::path program = files.HostPath(words[0]);
  std::error_code ignored;
  if (std::filesystem::is_directory(program, ignored)) return {kLaunchBadFormat, 0};
  words[0] = program.string();
  std::vector<char*> arguments;
  for (auto& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // The child starts in a group of its own, so that a terminal's signals meant for us pass it by.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  int error = posix_spawn(&pid, arguments[0], &actions, &attributes, arguments.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return {CodeForSpawnError(error, program), 0};

  // Reap the child when it ends; nobody else waits for it.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return {kLaunchStarted, pid};
}

bool ProcessAlive(pid_t pid) {
  auto stat = ReadProcessStat(pid);
  return stat && stat->Running();
}

}  // namespace lumbra
