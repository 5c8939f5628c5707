#pragma once
// Creating registered objects by ProgID or class identifier, as page script and the
// components do.
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/variant.h"
#include "platform/base/services.h"

namespace lumbra {

// Class contexts, combinable with |. Servers and handlers are modules loaded into this
// process (InprocServer32, InprocHandler32). Out-of-process servers (LocalServer32) cannot be
// started on this platform: a class registered only that way fails with
// CO_E_SERVER_EXEC_FAILURE.
enum ClassContext : unsigned {
  kInprocServer = 1,
  kInprocHandler = 2,
  kLocalServer = 4,
};
using ClassContexts = unsigned;

// The class identifier registered for a ProgID (canonical form), or nothing.
std::optional<std::string> ClsidFromProgId(const Registry& registry, std::string_view prog_id);

// Whether a class identifier (or ProgID) has a server key for one of the contexts.
bool IsClassRegistered(const Registry& registry, std::string_view clsid_or_prog_id,
                       ClassContexts contexts = kInprocServer);

// Creates an object. `name` is a ProgID or a "{...}" class identifier. Throws ComError:
//  - REGDB_E_CLASSNOTREG when the name or class has no registration for the contexts;
//  - E_MODNOTFOUND when the module will not load (the description names the module and
//    gives the loader's reason);
//  - CO_E_ERRORINDLL when the module lacks DllGetClassObject;
//  - the class object's failure, or CO_E_SERVER_EXEC_FAILURE when the constructor failed.
// Modules stay loaded for the life of the process.
ObjectRef CreateObject(std::string_view name, ClassContexts contexts, Services& services);
ObjectRef CreateObject(std::string_view name, ClassContexts contexts = kInprocServer);

}  // namespace lumbra
