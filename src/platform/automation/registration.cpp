#include "platform/automation/registration.h"

#include <cctype>
#include <exception>

#include "platform/base/text.h"

namespace lumbra {
namespace {

constexpr Hive kClasses = Hive::ClassesRoot;

struct Category {
  std::string_view id;
  std::string_view name;
};
constexpr Category kControlCategories[] = {
    {kCatidSafeForScripting, "Controls that are safely scriptable"},
    {kCatidSafeForInitializing, "Controls safely initializable from persistent data"},
};

void SetText(Registry& registry, const std::string& key, std::string_view name,
             std::string_view utf8) {
  registry.SetValue(kClasses, key, name, RegValue::Text(AnsiFromUtf8(utf8)));
}

std::string TypeLibraryKey(const ComponentClass& component) {
  return "TypeLib\\" + CanonicalGuid(component.type_library) + "\\" +
         component.type_library_version;
}

void RegisterTypeLibrary(Registry& registry, const ComponentClass& component,
                         const std::string& module_path) {
  const std::string key = TypeLibraryKey(component);
  SetText(registry, key, "", component.type_library_name);
  SetText(registry, key + "\\0\\win32", "", module_path);
  SetText(registry, key + "\\FLAGS", "", "0");
  SetText(registry, key + "\\HELPDIR", "",
          std::filesystem::path(module_path).parent_path().string());
}

void RegisterProgId(Registry& registry, const std::string& prog_id, const ComponentClass& component,
                    const std::string& clsid) {
  if (prog_id.empty()) return;
  SetText(registry, prog_id, "", component.description);
  SetText(registry, prog_id + "\\CLSID", "", clsid);
}

void RegisterClass(Registry& registry, const ComponentClass& component,
                   const std::string& module_path) {
  const std::string clsid = CanonicalGuid(component.clsid);
  if (clsid.empty() || component.prog_id.empty()) {
    throw std::invalid_argument("class without a valid identifier or ProgID");
  }
  RegisterProgId(registry, component.prog_id, component, clsid);
  RegisterProgId(registry, component.version_independent_prog_id, component, clsid);
  if (!component.version_independent_prog_id.empty()) {
    SetText(registry, component.version_independent_prog_id + "\\CurVer", "", component.prog_id);
  }

  const std::string key = "CLSID\\" + clsid;
  SetText(registry, key, "", component.description);
  SetText(registry, key + "\\ProgID", "", component.prog_id);
  if (!component.version_independent_prog_id.empty()) {
    SetText(registry, key + "\\VersionIndependentProgID", "",
            component.version_independent_prog_id);
  }
  SetText(registry, key + "\\InprocServer32", "", module_path);
  SetText(registry, key + "\\InprocServer32", "ThreadingModel", component.threading_model);
  SetText(registry, key + "\\TypeLib", "", CanonicalGuid(component.type_library));
  SetText(registry, key + "\\Version", "",
          component.version.empty() ? component.type_library_version : component.version);
  if (component.programmable) registry.CreateKey(kClasses, key + "\\Programmable");
  if (!component.control) return;
  registry.CreateKey(kClasses, key + "\\Control");
  if (!component.safe_for_scripting) return;
  for (const Category& category : kControlCategories) {
    const std::string category_key = "Component Categories\\" + std::string(category.id);
    if (!registry.ReadValue(kClasses, category_key, "409")) {
      SetText(registry, category_key, "409", category.name);
    }
    registry.CreateKey(kClasses, key + "\\Implemented Categories\\" + std::string(category.id));
  }
}

}  // namespace

std::string CanonicalGuid(std::string_view text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return "";
  std::string guid = "{";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool dash_place = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash_place ? c != '-' : !std::isxdigit(static_cast<unsigned char>(c))) return "";
    guid += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return guid + "}";
}

HResult RegisterComponentClasses(Registry& registry, const std::vector<ComponentClass>& classes,
                                 const std::filesystem::path& module_path) {
  const std::string path = std::filesystem::absolute(module_path).lexically_normal().string();
  try {
    for (const ComponentClass& component : classes) {
      if (CanonicalGuid(component.type_library).empty()) return SELFREG_E_TYPELIB;
      RegisterTypeLibrary(registry, component, path);
    }
  } catch (const std::exception&) {
    return SELFREG_E_TYPELIB;
  }
  try {
    for (const ComponentClass& component : classes) RegisterClass(registry, component, path);
  } catch (const std::exception&) {
    return SELFREG_E_CLASS;
  }
  return S_OK;
}

HResult UnregisterComponentClasses(Registry& registry, const std::vector<ComponentClass>& classes) {
  try {
    for (const ComponentClass& component : classes) {
      if (!component.prog_id.empty()) registry.DeleteKey(kClasses, component.prog_id);
      if (!component.version_independent_prog_id.empty()) {
        registry.DeleteKey(kClasses, component.version_independent_prog_id);
      }
      const std::string clsid = CanonicalGuid(component.clsid);
      if (!clsid.empty()) registry.DeleteKey(kClasses, "CLSID\\" + clsid);
    }
  } catch (const std::exception&) {
    return SELFREG_E_CLASS;
  }
  try {
    for (const ComponentClass& component : classes) {
      const std::string library = CanonicalGuid(component.type_library);
      if (library.empty()) continue;
      registry.DeleteKey(kClasses, TypeLibraryKey(component));
      // The library's key goes with its last version.
      if (registry.SubKeys(kClasses, "TypeLib\\" + library).empty()) {
        registry.DeleteKey(kClasses, "TypeLib\\" + library);
      }
    }
  } catch (const std::exception&) {
    return SELFREG_E_TYPELIB;
  }
  return S_OK;
}

}  // namespace lumbra
