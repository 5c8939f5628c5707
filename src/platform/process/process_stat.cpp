#include "platform/process/process_stat.h"

#include <fcntl.h>
#include <unistd.h>

#include <sstream>
#include <string>

namespace lumbra {

namespace {

// The whole of a /proc file, "" when it cannot be read. Plain reads, because a process that
// ends while its file is open makes read() fail with ESRCH, which a file stream turns into an
// exception.
std::string ReadProcFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text;
  char buffer[1024];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
  ::close(fd);
  return got < 0 ? std::string() : text;
}

}  // namespace

std::optional<ProcessStat> ReadProcessStat(pid_t pid) {
  if (pid <= 0) return std::nullopt;
  const std::string text = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
  // The name, field 2, is in parentheses and may hold blanks and parentheses itself.
  auto end_of_name = text.rfind(')');
  if (end_of_name == std::string::npos || end_of_name + 2 >= text.size()) return std::nullopt;
  std::istringstream fields(text.substr(end_of_name + 2));
  ProcessStat stat;
  fields >> stat.state;
  std::string field;
  for (int index = 4; index <= 22 && fields >> field; ++index) {
    if (index == 22) stat.start_ticks = std::stoull(field);
  }
  return stat;
}

}  // namespace lumbra
