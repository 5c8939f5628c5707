// libquorra.so: the module that registers and creates the data-save object.
#include "datasave/data_save_object.h"
#include "platform/automation/component_module.h"

namespace lumbra {
namespace {

constexpr char kClsid[] = "{5B3F7A10-8C2D-4E61-A4B9-2F6D1C0E9A31}";
constexpr char kRegistryVersion[] = "2.0.0.19";

const ComponentModule& QuorraModule() {
  static const ComponentModule module({ComponentClass{
      .clsid = kClsid,
      .prog_id = kDataSaveProgId,
      .version_independent_prog_id = "Quorra.DataSave",
      .description = "DataSave Class",
      .type_library = "{5B3F7A11-8C2D-4E61-A4B9-2F6D1C0E9A31}",
      .type_library_version = "1.0",
      .type_library_name = "Quorra 1.0 Type Library",
      .threading_model = "Apartment",
      .control = false,  // programmable and a control, but not in the scripting categories
      .create = &Construct<DataSaveObject>,
  }});
  return module;
}

// What the class key carries beyond the common registration: the object's own version text,
// and its marks as programmable and as a control.
HResult RegisterClassMarks() {
  try {
    Registry& registry = CurrentServices().registry;
    const std::string key = std::string("CLSID\\") + kClsid;
    registry.SetValue(Hive::ClassesRoot, key + "\\Version", "", RegValue::Text(kRegistryVersion));
    registry.CreateKey(Hive::ClassesRoot, key + "\\Programmable");
    registry.CreateKey(Hive::ClassesRoot, key + "\\Control");
    return S_OK;
  } catch (const std::exception&) {
    return SELFREG_E_CLASS;
  }
}

}  // namespace
}  // namespace lumbra

LUMBRA_EXPORT lumbra::HResult DllGetClassObject(const char* clsid, const lumbra::ClassObject** result) {
  return lumbra::QuorraModule().GetClassObject(clsid, result);
}

LUMBRA_EXPORT lumbra::HResult DllCanUnloadNow() { return lumbra::QuorraModule().CanUnloadNow(); }

LUMBRA_EXPORT lumbra::HResult DllRegisterServer() {
  const lumbra::HResult result =
      lumbra::QuorraModule().RegisterServer(reinterpret_cast<const void*>(&DllRegisterServer));
  return lumbra::Failed(result) ? result : lumbra::RegisterClassMarks();
}

LUMBRA_EXPORT lumbra::HResult DllUnregisterServer() { return lumbra::QuorraModule().UnregisterServer(); }
