#pragma once
// The "lumbra reg" command, modelled on the Windows reg command:
//   reg query  KEY [/v NAME | /ve]
//   reg add    KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD|REG_BINARY] [/d DATA] [/f]
//   reg delete KEY [/v NAME | /ve] [/f]
//   reg import FILE.reg
//   reg export KEY FILE.reg [/y]
// KEY starts with a long or short hive name (HKEY_LOCAL_MACHINE or HKLM). Arguments and
// output are UTF-8. Exit codes as the Windows command: 0 success, 1 failure.
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/base/registry.h"

namespace lumbra {

// args are the words after "reg".
int RunRegCommand(const std::vector<std::string>& args, Registry& registry, std::ostream& out, std::ostream& err);

}  // namespace lumbra
