#include "platform/automation/creation.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include "platform/automation/com_error.h"
#include "platform/automation/component_module.h"
#include "platform/automation/registration.h"
#include "platform/base/text.h"

namespace lumbra {
namespace {

struct ServerKey {
  ClassContext context;
  std::string_view key;
};
constexpr ServerKey kServerKeys[] = {
    {kInprocServer, "InprocServer32"},
    {kInprocHandler, "InprocHandler32"},
    {kLocalServer, "LocalServer32"},
};

// The class identifier a name stands for; throws when there is none.
std::string ResolveClsid(const Registry& registry, std::string_view name) {
  if (!name.empty() && name.front() == '{') {
    std::string clsid = CanonicalGuid(name);
    if (clsid.empty()) throw ComError(CO_E_CLASSSTRING, "Invalid class string: " + std::string(name));
    return clsid;
  }
  if (auto clsid = ClsidFromProgId(registry, name)) return *clsid;
  throw ComError(REGDB_E_CLASSNOTREG, "Class not registered: " + std::string(name), std::string(name));
}

struct Server {
  ClassContext context;
  std::string location;  // as registered, UTF-8
};

std::optional<Server> FindServer(const Registry& registry, const std::string& clsid,
                                 ClassContexts contexts) {
  for (const ServerKey& server : kServerKeys) {
    if ((contexts & server.context) == 0) continue;
    auto value = registry.ReadValue(Hive::ClassesRoot, "CLSID\\" + clsid + "\\" + std::string(server.key), "");
    if (value && !value->AsText().empty()) return Server{server.context, Utf8FromAnsi(value->AsText())};
  }
  return std::nullopt;
}

// Modules stay loaded for the life of the process: objects and their code may be referenced
// from anywhere until then.
void* LoadModule(const std::string& path, const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, void*> loaded;
  std::lock_guard lock(mutex);
  if (auto it = loaded.find(path); it != loaded.end()) return it->second;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    throw ComError(E_MODNOTFOUND,
                   "Cannot load module " + path + ": " + (reason ? reason : "unknown reason"), name);
  }
  loaded.emplace(path, handle);
  return handle;
}

}  // namespace

std::optional<std::string> ClsidFromProgId(const Registry& registry, std::string_view prog_id) {
  if (prog_id.empty()) return std::nullopt;
  auto value = registry.ReadValue(Hive::ClassesRoot, std::string(prog_id) + "\\CLSID", "");
  if (!value) return std::nullopt;
  std::string clsid = CanonicalGuid(value->AsText());
  if (clsid.empty()) return std::nullopt;
  return clsid;
}

bool IsClassRegistered(const Registry& registry, std::string_view clsid_or_prog_id,
                       ClassContexts contexts) {
  try {
    return FindServer(registry, ResolveClsid(registry, clsid_or_prog_id), contexts).has_value();
  } catch (const ComError&) {
    return false;
  }
}

ObjectRef CreateObject(std::string_view name, ClassContexts contexts, Services& services) {
  const std::string source(name);
  const std::string clsid = ResolveClsid(services.registry, name);
  const std::optional<Server> server = FindServer(services.registry, clsid, contexts);
  if (!server) throw ComError(REGDB_E_CLASSNOTREG, "Class not registered: " + source, source);
  if (server->context == kLocalServer) {
    throw ComError(CO_E_SERVER_EXEC_FAILURE,
                   "Out-of-process server " + server->location + " cannot be started on this platform",
                   source);
  }
  const std::string path = server->location.front() == '/'
                               ? server->location
                               : services.files.HostPath(server->location).string();
  void* module = LoadModule(path, source);
  auto get_class_object = reinterpret_cast<DllGetClassObjectFn>(dlsym(module, "DllGetClassObject"));
  if (get_class_object == nullptr) {
    throw ComError(CO_E_ERRORINDLL, "Module " + path + " does not export DllGetClassObject", source);
  }
  const ClassObject* class_object = nullptr;
  const HResult status = get_class_object(clsid.c_str(), &class_object);
  if (Failed(status) || class_object == nullptr) {
    throw ComError(Failed(status) ? status : E_POINTER,
                   "Module " + path + " has no class object for " + clsid, source);
  }
  return class_object->CreateInstance(services);
}

ObjectRef CreateObject(std::string_view name, ClassContexts contexts) {
  return CreateObject(name, contexts, CurrentServices());
}

}  // namespace lumbra
