#pragma once
// The registry keys a module's self-registration writes (below HKEY_CLASSES_ROOT):
//   <ProgID>                 @ = description, CLSID\@ = {clsid}
//   <VersionIndependentProgID>  @ = description, CLSID\@ = {clsid}, CurVer\@ = <ProgID>
//   CLSID\{clsid}            @ = description; ProgID, VersionIndependentProgID, TypeLib,
//                            Version; InprocServer32\@ = module's absolute path and
//                            ThreadingModel; Programmable when asked; for a control also
//                            Control and, when safe for scripting,
//                            Implemented Categories\{category}
//   TypeLib\{libid}\<version>   @ = library name, 0\win32\@ = module path, FLAGS, HELPDIR
//   Component Categories\{category}  409 = the category's name (created when missing)
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/component_module.h"
#include "platform/automation/hresult.h"
#include "platform/base/registry.h"

namespace lumbra {

inline constexpr std::string_view kCatidSafeForScripting = "{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
inline constexpr std::string_view kCatidSafeForInitializing =
    "{7DD95802-9882-11CF-9FA9-00AA006C42C4}";

// S_OK, SELFREG_E_TYPELIB when the type library could not be written, SELFREG_E_CLASS when a
// class or category could not be.
HResult RegisterComponentClasses(Registry& registry, const std::vector<ComponentClass>& classes,
                                 const std::filesystem::path& module_path);
// Removes everything RegisterComponentClasses wrote except the shared category keys. Keys
// already gone are no failure.
HResult UnregisterComponentClasses(Registry& registry, const std::vector<ComponentClass>& classes);

// "{...}" in the canonical upper-case form, or "" when `text` is no class identifier.
std::string CanonicalGuid(std::string_view text);

}  // namespace lumbra
