// libtamsel.so as the host meets it: registration under both ProgIDs, then creation by name.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/automation/component_module.h"
#include "platform/automation/creation.h"
#include "platform/base/clock.h"
#include "platform/base/registry.h"
#include "platform/ui/scripted_ui.h"

namespace lumbra {
namespace {

namespace fs = std::filesystem;

class TamselModule : public ::testing::Test {
 protected:
  TamselModule()
      : folder_(MakeFolder()),
        files_(folder_),
        registry_(folder_ / "registry"),
        services_{RootLayout{folder_}, files_, registry_, clock_, ui_},
        module_(dlopen(TAMSEL_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {
    InstallServices(&services_);
  }
  ~TamselModule() override {
    InstallServices(nullptr);
    if (module_ != nullptr) dlclose(module_);
    fs::remove_all(folder_);
  }

  static fs::path MakeFolder() {
    std::string pattern = (fs::temp_directory_path() / "tamsel-module-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    return pattern;
  }

  fs::path folder_;
  FileSystem files_;
  Registry registry_;
  VirtualClock clock_;
  ScriptedUi ui_;
  Services services_;
  void* module_;
};

TEST_F(TamselModule, RegistersAndCreatesTheDownSizeClass) {
  ASSERT_NE(module_, nullptr) << dlerror();
  const auto register_server =
      reinterpret_cast<DllRegisterServerFn>(dlsym(module_, "DllRegisterServer"));
  ASSERT_NE(register_server, nullptr);
  ASSERT_EQ(register_server(), S_OK);
  const auto clsid = ClsidFromProgId(registry_, "Tamsel.DownSize.1");
  ASSERT_TRUE(clsid.has_value());
  EXPECT_EQ(ClsidFromProgId(registry_, "Tamsel.DownSize"), clsid);
  EXPECT_EQ(registry_.ReadValue(Hive::ClassesRoot, "CLSID\\" + *clsid, "")->AsText(), "DownSize Class");

  for (const char* prog_id : {"Tamsel.DownSize.1", "Tamsel.DownSize"}) {
    const ObjectRef object = CreateObject(prog_id, kInprocServer, services_);
    EXPECT_EQ(object->Dispatch().InterfaceName(), "IDownSize");
    EXPECT_EQ(object->Call("GetErrorString", {Variant(-9999)}).ToText(), "Can't compress any further");
  }
}

}  // namespace
}  // namespace lumbra
