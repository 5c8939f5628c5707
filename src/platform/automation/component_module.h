#pragma once
// What a component module (a shared library such as libtamsel.so) declares, and the four
// functions it exports. One macro does it all:
//
//   LUMBRA_COMPONENT_MODULE(lumbra::ComponentClass{
//       .clsid = "{6A1C2E40-3B7D-4F11-9C55-0D2E8B7A4411}",
//       .prog_id = "Tamsel.DownSize.1",
//       .version_independent_prog_id = "Tamsel.DownSize",
//       .description = "DownSize Class",
//       .type_library = "{6A1C2E41-3B7D-4F11-9C55-0D2E8B7A4411}",
//       .type_library_version = "1.0",
//       .type_library_name = "Tamsel 1.0 Type Library",
//       .control = false,
//       .create = &lumbra::Construct<lumbra::DownSize>,
//   })
//
// More classes go in as further arguments. Every class of a module shares its type library.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/automation/hresult.h"
#include "platform/base/services.h"

namespace lumbra {

struct ComponentClass {
  std::string clsid;                        // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
  std::string prog_id;                      // "Quorra.DataSave.1"
  std::string version_independent_prog_id;  // "Quorra.DataSave"
  std::string description;                  // default value of the class keys
  std::string type_library;                 // the library's identifier, "{...}"
  std::string type_library_version = "1.0";
  std::string type_library_name;
  std::string threading_model = "Apartment";
  // The class key's Version text; "" gives the type library's version.
  std::string version;
  // A "Programmable" key below the class key.
  bool programmable = false;
  // A "Control" key; with safe_for_scripting the control also registers in "Controls that
  // are safely scriptable" and "Controls safely initializable from persistent data".
  bool control = false;
  bool safe_for_scripting = true;
  std::function<ObjectRef(Services&)> create;
};

// The usual factory: the class's constructor that takes the services.
template <class T>
ObjectRef Construct(Services& services) {
  return std::make_shared<T>(services);
}

class ComponentModule;

// What DllGetClassObject hands out: creates objects of one class.
class ClassObject {
 public:
  ClassObject(const ComponentModule& module, const ComponentClass& component)
      : module_(&module), class_(&component) {}
  const ComponentClass& Class() const { return *class_; }
  // Creates an object with the given services. A constructor's exception is reported as
  // ComError (CO_E_SERVER_EXEC_FAILURE, with the exception's text as description).
  ObjectRef CreateInstance(Services& services) const;

 private:
  const ComponentModule* module_;
  const ComponentClass* class_;
};

class ComponentModule {
 public:
  explicit ComponentModule(std::vector<ComponentClass> classes);
  ComponentModule(const ComponentModule&) = delete;
  ComponentModule& operator=(const ComponentModule&) = delete;

  const std::vector<ComponentClass>& Classes() const { return classes_; }

  // The exports' work. `address_in_module` is any address inside the module (it finds the
  // module's absolute path for InprocServer32).
  HResult GetClassObject(const char* clsid, const ClassObject** result) const;
  HResult CanUnloadNow() const;
  HResult RegisterServer(const void* address_in_module) const;
  HResult UnregisterServer() const;

 private:
  friend class ClassObject;
  std::vector<ComponentClass> classes_;
  std::vector<ClassObject> class_objects_;
  std::shared_ptr<std::atomic<int>> live_objects_;
};

// The exports' signatures, as the loader looks them up.
using DllGetClassObjectFn = HResult (*)(const char* clsid, const ClassObject** result);
using DllCanUnloadNowFn = HResult (*)();
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();

}  // namespace lumbra

#define LUMBRA_EXPORT extern "C" __attribute__((visibility("default")))

// Fields left out of the designated initializers keep their defaults, hence the pragma.
#define LUMBRA_COMPONENT_MODULE(...)                                                        \
  _Pragma("GCC diagnostic push")                                                             \
  _Pragma("GCC diagnostic ignored \"-Wmissing-field-initializers\"")                        \
  namespace {                                                                                \
  const ::lumbra::ComponentModule& LumbraThisModule() {                                      \
    static const ::lumbra::ComponentModule module(                                           \
        std::vector<::lumbra::ComponentClass>{__VA_ARGS__});                                 \
    return module;                                                                           \
  }                                                                                          \
  }                                                                                          \
  _Pragma("GCC diagnostic pop")                                                              \
  LUMBRA_EXPORT ::lumbra::HResult DllGetClassObject(const char* clsid,                      \
                                                    const ::lumbra::ClassObject** result) { \
    return LumbraThisModule().GetClassObject(clsid, result);                                 \
  }                                                                                          \
  LUMBRA_EXPORT ::lumbra::HResult DllCanUnloadNow() { return LumbraThisModule().CanUnloadNow(); } \
  LUMBRA_EXPORT ::lumbra::HResult DllRegisterServer() {                                      \
    return LumbraThisModule().RegisterServer(reinterpret_cast<const void*>(&DllRegisterServer)); \
  }                                                                                          \
  LUMBRA_EXPORT ::lumbra::HResult DllUnregisterServer() {                                    \
    return LumbraThisModule().UnregisterServer();                                            \
  }
