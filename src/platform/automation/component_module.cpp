#include "platform/automation/component_module.h"

#include <dlfcn.h>

#include <filesystem>

#include "platform/automation/registration.h"

namespace lumbra {

ObjectRef ClassObject::CreateInstance(Services& services) const {
  ObjectRef object;
  try {
    object = class_->create(services);
  } catch (const ComError&) {
    throw;
  } catch (const std::exception& error) {
    throw ComError(CO_E_SERVER_EXEC_FAILURE, class_->prog_id + ": " + error.what(), class_->prog_id);
  }
  if (!object) throw ComError(CO_E_SERVER_EXEC_FAILURE, class_->prog_id + ": no object", class_->prog_id);
  // Count the object while it lives, so DllCanUnloadNow can answer.
  std::shared_ptr<std::atomic<int>> live = module_->live_objects_;
  ++*live;
  DispatchObject* raw = object.get();
  return ObjectRef(raw, [object = std::move(object), live](DispatchObject*) mutable {
    object.reset();
    --*live;
  });
}

ComponentModule::ComponentModule(std::vector<ComponentClass> classes)
    : classes_(std::move(classes)), live_objects_(std::make_shared<std::atomic<int>>(0)) {
  class_objects_.reserve(classes_.size());
  for (const ComponentClass& component : classes_) class_objects_.emplace_back(*this, component);
}

HResult ComponentModule::GetClassObject(const char* clsid, const ClassObject** result) const {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  if (clsid == nullptr) return E_INVALIDARG;
  const std::string wanted = CanonicalGuid(clsid);
  for (const ClassObject& class_object : class_objects_) {
    if (!wanted.empty() && CanonicalGuid(class_object.Class().clsid) == wanted) {
      *result = &class_object;
      return S_OK;
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HResult ComponentModule::CanUnloadNow() const { return *live_objects_ == 0 ? S_OK : S_FALSE; }

HResult ComponentModule::RegisterServer(const void* address_in_module) const {
  Dl_info info{};
  if (dladdr(address_in_module, &info) == 0 || info.dli_fname == nullptr) return SELFREG_E_CLASS;
  std::error_code error;
  std::filesystem::path path = std::filesystem::weakly_canonical(info.dli_fname, error);
  if (error) path = std::filesystem::absolute(info.dli_fname);
  try {
    return RegisterComponentClasses(CurrentServices().registry, classes_, path);
  } catch (const std::logic_error&) {  // no services installed
    return SELFREG_E_CLASS;
  }
}

HResult ComponentModule::UnregisterServer() const {
  try {
    return UnregisterComponentClasses(CurrentServices().registry, classes_);
  } catch (const std::logic_error&) {
    return SELFREG_E_CLASS;
  }
}

}  // namespace lumbra
