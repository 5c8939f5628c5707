#pragma once
// `lumbra register MODULE` and `lumbra unregister MODULE`: load a component module and call
// its DllRegisterServer or DllUnregisterServer, as the platform's registration tool does.
#include <iosfwd>
#include <string>

namespace lumbra {

enum class RegistrationAction { Register, Unregister };

// Exit codes as the platform's tool: 0 done, 3 the module failed to load, 4 the entry point
// is missing, 5 the call failed (its status code is shown).
int RunModuleRegistration(RegistrationAction action, const std::string& module, std::ostream& out,
                          std::ostream& err);

}  // namespace lumbra
