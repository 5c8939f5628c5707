#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>

#include "platform/automation/component_module.h"
#include "platform/automation/creation.h"
#include "platform/automation/registration.h"
#include "platform/automation/running_objects.h"
#include "sample_object.h"
#include "temp_services.h"

namespace lumbra::testing {
namespace {

constexpr Hive kClasses = Hive::ClassesRoot;

// The test module, loaded in this process as the host would load it.
class SampleModule {
 public:
  SampleModule() : handle_(dlopen(SAMPLE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) throw std::runtime_error(dlerror());
  }
  ~SampleModule() { dlclose(handle_); }
  template <class Fn>
  Fn Export(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle_, name));
  }

 private:
  void* handle_;
};

std::string Text(const Registry& registry, const std::string& key, const std::string& name = "") {
  auto value = registry.ReadValue(kClasses, key, name);
  return value ? value->AsText() : "<missing>";
}

HResult CreationFailure(std::string_view name, ClassContexts contexts, std::string* description = nullptr) {
  try {
    CreateObject(name, contexts);
  } catch (const ComError& error) {
    if (description) *description = error.Description();
    return error.Code();
  }
  return S_OK;
}

class Modules : public ::testing::Test {
 protected:
  TempServices temp;
  SampleModule module;
};

TEST_F(Modules, RegistrationWritesTheClassKeysAndUnregistrationRemovesThem) {
  ASSERT_EQ(module.Export<DllRegisterServerFn>("DllRegisterServer")(), S_OK);
  const Registry& reg = temp.registry;
  const std::string clsid_key = std::string("CLSID\\") + kSampleClsid;
  const std::string control_key = std::string("CLSID\\") + kSampleControlClsid;
  EXPECT_EQ(Text(reg, "LumbraTest.Sample.1\\CLSID"), kSampleClsid);
  EXPECT_EQ(Text(reg, "LumbraTest.Sample\\CLSID"), kSampleClsid);
  EXPECT_EQ(Text(reg, "LumbraTest.Sample\\CurVer"), "LumbraTest.Sample.1");
  EXPECT_EQ(Text(reg, clsid_key), "Sample Class");
  EXPECT_EQ(Text(reg, clsid_key + "\\ProgID"), "LumbraTest.Sample.1");
  EXPECT_EQ(Text(reg, clsid_key + "\\VersionIndependentProgID"), "LumbraTest.Sample");
  EXPECT_EQ(Text(reg, clsid_key + "\\InprocServer32"),
            std::filesystem::weakly_canonical(SAMPLE_MODULE_PATH).string());
  EXPECT_EQ(Text(reg, clsid_key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(Text(reg, clsid_key + "\\TypeLib"), kSampleLibrary);
  EXPECT_EQ(Text(reg, std::string("TypeLib\\") + kSampleLibrary + "\\1.0"), "LumbraTest 1.0 Type Library");
  EXPECT_FALSE(reg.KeyExists(kClasses, clsid_key + "\\Control"));
  EXPECT_TRUE(reg.KeyExists(kClasses, control_key + "\\Control"));
  for (std::string_view category : {kCatidSafeForScripting, kCatidSafeForInitializing}) {
    EXPECT_TRUE(reg.KeyExists(kClasses, control_key + "\\Implemented Categories\\" + std::string(category)));
  }
  EXPECT_EQ(Text(reg, "Component Categories\\" + std::string(kCatidSafeForScripting), "409"),
            "Controls that are safely scriptable");
  EXPECT_EQ(Text(reg, "Component Categories\\" + std::string(kCatidSafeForInitializing), "409"),
            "Controls safely initializable from persistent data");

  ASSERT_EQ(module.Export<DllUnregisterServerFn>("DllUnregisterServer")(), S_OK);
  for (const std::string& key : std::vector<std::string>{"LumbraTest.Sample.1", "LumbraTest.Sample", "LumbraTest.Control.1",
                                "CLSID\\" + std::string(kSampleClsid), control_key,
                                "TypeLib\\" + std::string(kSampleLibrary)}) {
    EXPECT_FALSE(reg.KeyExists(kClasses, key)) << key;
  }
  // The categories are shared with every other control.
  EXPECT_TRUE(reg.KeyExists(kClasses, "Component Categories\\" + std::string(kCatidSafeForScripting)));
  EXPECT_EQ(module.Export<DllUnregisterServerFn>("DllUnregisterServer")(), S_OK) << "twice is no failure";
}

TEST_F(Modules, RegisteredClassesAreCreatedByProgIdOrClassIdentifier) {
  ASSERT_EQ(module.Export<DllRegisterServerFn>("DllRegisterServer")(), S_OK);
  const auto can_unload = module.Export<DllCanUnloadNowFn>("DllCanUnloadNow");
  {
    ObjectRef sample = CreateObject("LumbraTest.Sample.1");
    ObjectRef by_name = CreateObject("lumbratest.sample");
    ObjectRef by_clsid = CreateObject("{3f2a9c10-6b1e-4d7a-8e25-91c4a0b7d301}");
    sample->Put("Name", Variant("Ada"));
    EXPECT_EQ(sample->Get("Name"), Variant("Ada"));
    EXPECT_EQ(by_name->Get("Name"), Variant(""));
    EXPECT_EQ(by_clsid->Get("SystemFolder"), Variant(temp.root.SystemFolder()));
    EXPECT_EQ(can_unload(), S_FALSE);
  }
  EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(Modules, CreationFailuresSayWhy) {
  EXPECT_EQ(CreationFailure("LumbraTest.Sample.1", kInprocServer), REGDB_E_CLASSNOTREG) << "not yet registered";
  EXPECT_EQ(CreationFailure(kSampleClsid, kInprocServer), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CreationFailure("{not-a-class}", kInprocServer), CO_E_CLASSSTRING);

  ASSERT_EQ(module.Export<DllRegisterServerFn>("DllRegisterServer")(), S_OK);
  EXPECT_EQ(CreationFailure("LumbraTest.Sample.1", kLocalServer), REGDB_E_CLASSNOTREG)
      << "registered for another context";

  const std::string clsid_key = std::string("CLSID\\") + kSampleClsid;
  const std::filesystem::path broken = temp.folder / "broken.so";
  std::ofstream(broken) << std::string(256, 'x');  // long enough to be read as a header
  temp.registry.SetValue(kClasses, clsid_key + "\\InprocServer32", "", RegValue::Text(broken.string()));
  std::string description;
  EXPECT_EQ(CreationFailure("LumbraTest.Sample.1", kInprocServer, &description), E_MODNOTFOUND);
  EXPECT_NE(description.find(broken.string()), std::string::npos) << description;
  EXPECT_NE(description.find("invalid ELF header"), std::string::npos) << description;

  temp.registry.SetValue(kClasses, clsid_key + "\\InprocServer32", "",
                         RegValue::Text((temp.folder / "gone.so").string()));
  EXPECT_EQ(CreationFailure("LumbraTest.Sample.1", kInprocServer, &description), E_MODNOTFOUND);
  EXPECT_NE(description.find("No such file"), std::string::npos) << description;

  temp.registry.DeleteKey(kClasses, clsid_key + "\\InprocServer32");
  temp.registry.SetValue(kClasses, clsid_key + "\\LocalServer32", "", RegValue::Text("/usr/bin/sample"));
  EXPECT_EQ(CreationFailure("LumbraTest.Sample.1", kInprocServer | kLocalServer), CO_E_SERVER_EXEC_FAILURE);
  EXPECT_FALSE(IsClassRegistered(temp.registry, "LumbraTest.Sample.1", kInprocServer));
  EXPECT_TRUE(IsClassRegistered(temp.registry, "LumbraTest.Sample.1", kLocalServer));
}

TEST_F(Modules, SelfRegistrationFailuresUseTheSelfRegistrationCodes) {
  ComponentClass component{
      .clsid = kSampleClsid,
      .prog_id = "LumbraTest.Bad.1",
      .version_independent_prog_id = "",
      .description = "",
      .type_library = "no library",
      .type_library_version = "1.0",
      .type_library_name = "",
      .threading_model = "Apartment",
      .version = "",
      .programmable = false,
      .control = false,
      .safe_for_scripting = true,
      .create = nullptr,
  };
  EXPECT_EQ(RegisterComponentClasses(temp.registry, {component}, SAMPLE_MODULE_PATH), SELFREG_E_TYPELIB);
  component.type_library = kSampleLibrary;
  component.clsid = "no class";
  EXPECT_EQ(RegisterComponentClasses(temp.registry, {component}, SAMPLE_MODULE_PATH), SELFREG_E_CLASS);
}

TEST_F(Modules, AClassMayCarryItsOwnVersionAndBeAControlOutsideTheScriptingCategories) {
  ComponentClass component;
  component.clsid = kSampleClsid;
  component.prog_id = "LumbraTest.Marked.1";
  component.type_library = kSampleLibrary;
  component.version = "2.0.0.19";
  component.programmable = true;
  component.control = true;
  component.safe_for_scripting = false;
  ASSERT_EQ(RegisterComponentClasses(temp.registry, {component}, SAMPLE_MODULE_PATH), S_OK);
  const std::string key = std::string("CLSID\\") + kSampleClsid;
  EXPECT_EQ(Text(temp.registry, key + "\\Version"), "2.0.0.19");
  EXPECT_TRUE(temp.registry.KeyExists(kClasses, key + "\\Programmable"));
  EXPECT_TRUE(temp.registry.KeyExists(kClasses, key + "\\Control"));
  EXPECT_FALSE(temp.registry.KeyExists(kClasses, key + "\\Implemented Categories"));
}

TEST(RunningObjects, RegisterLookUpAndRevoke) {
  TempServices temp;
  auto first = std::make_shared<SampleObject>(temp.services);
  auto second = std::make_shared<SampleObject>(temp.services);
  EXPECT_EQ(GetActiveObject(kSampleClsid), nullptr);
  const RotCookie a = RegisterActiveObject(kSampleClsid, first);
  const RotCookie b = RegisterActiveObject("{3f2a9c10-6b1e-4d7a-8e25-91c4a0b7d301}", second);
  EXPECT_EQ(GetActiveObject(kSampleClsid), second);
  EXPECT_TRUE(RevokeActiveObject(b));
  EXPECT_EQ(GetActiveObject(kSampleClsid), first);
  EXPECT_TRUE(RevokeActiveObject(a));
  EXPECT_FALSE(RevokeActiveObject(a));
  EXPECT_EQ(GetActiveObject(kSampleClsid), nullptr);
  EXPECT_THROW(RegisterActiveObject("Sample", first), ComError);
}

}  // namespace
}  // namespace lumbra::testing
