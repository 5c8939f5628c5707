#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/base/services.h"
#include "platform/ui/scripted_ui.h"
#include "temp_root.h"

namespace lumbra {
namespace {

TEST(Services, TheInstalledSetIsTheProcesss) {
  testing::TempRoot temp;
  const RootLayout layout{temp.Path()};
  FileSystem files(layout.root);
  Registry registry(layout.RegistryDir());
  VirtualClock clock;
  ScriptedUi ui;
  Services services{layout, files, registry, clock, ui};

  InstallServices(nullptr);
  EXPECT_THROW(CurrentServices(), std::logic_error);
  InstallServices(&services);
  EXPECT_EQ(&CurrentServices(), &services);
  EXPECT_EQ(&CurrentServices().clock, &clock);
  InstallServices(nullptr);
  EXPECT_THROW(CurrentServices(), std::logic_error);
}

}  // namespace
}  // namespace lumbra
