#include "platform/process/process_stat.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace lumbra {

std::optional<ProcessStat> ReadProcessStat(pid_t pid) {
  if (pid <= 0) return std::nullopt;
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
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
