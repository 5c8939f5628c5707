#include "host/module_registration.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <ostream>

#include "platform/automation/component_module.h"
#include "platform/automation/hresult.h"

namespace lumbra {

int RunModuleRegistration(RegistrationAction action, const std::string& module, std::ostream& out,
                          std::ostream& err) {
  const char* entry = action == RegistrationAction::Register ? "DllRegisterServer" : "DllUnregisterServer";
  // An absolute path, so that the registered server is found from any folder, and so that
  // dlopen does not search the library path for a bare name.
  const std::string path = std::filesystem::absolute(module).lexically_normal().string();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    err << "The module \"" << module << "\" failed to load.\n" << (reason ? reason : "") << "\n";
    return 3;
  }
  auto function = reinterpret_cast<DllRegisterServerFn>(dlsym(handle, entry));
  if (function == nullptr) {
    err << "The module \"" << module << "\" was loaded but the entry-point " << entry
        << " was not found.\n";
    dlclose(handle);
    return 4;
  }
  const HResult status = function();
  dlclose(handle);
  if (Failed(status)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08x", static_cast<unsigned>(status));
    err << "The module \"" << module << "\" was loaded but the call to " << entry
        << " failed with error code " << code << ".\n" << StandardText(status) << "\n";
    return 5;
  }
  out << entry << " in " << module << " succeeded.\n";
  return 0;
}

}  // namespace lumbra
