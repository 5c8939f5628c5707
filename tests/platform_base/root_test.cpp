#include <gtest/gtest.h>
#include <stdlib.h>

#include <map>
#include <optional>
#include <string>

#include "platform/base/root.h"
#include "temp_root.h"

namespace lumbra {
namespace {

namespace fs = std::filesystem;

// Sets environment variables for one test and restores them afterwards.
class ScopedEnvironment {
 public:
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    if (!saved_.contains(name)) {
      const char* old = getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(RootLayout, TheRootComesFromTheEnvironment) {
  const struct {
    std::optional<std::string> lumbra_root, xdg_data_home, home;
    std::string expected;
  } cases[] = {
      {"/srv/ws", "/data", "/home/op", "/srv/ws"},
      {"", "/data", "/home/op", "/data/lumbra"},
      {std::nullopt, std::nullopt, "/home/op", "/home/op/.local/share/lumbra"},
      {std::nullopt, "", "/home/op", "/home/op/.local/share/lumbra"},
      {std::nullopt, "relative/data", "/home/op", "/home/op/.local/share/lumbra"},  // ignored, as the rules say
  };
  for (const auto& c : cases) {
    ScopedEnvironment environment;
    environment.Set("LUMBRA_ROOT", c.lumbra_root);
    environment.Set("XDG_DATA_HOME", c.xdg_data_home);
    environment.Set("HOME", c.home);
    EXPECT_EQ(RootLayout::FromEnvironment().root, fs::path(c.expected)) << c.expected;
  }
}

TEST(RootLayout, FoldersBelowTheRoot) {
  const RootLayout layout{"/srv/ws"};
  EXPECT_EQ(layout.SystemDir(), "/srv/ws/system");
  EXPECT_EQ(layout.RegistryDir(), "/srv/ws/registry");
  EXPECT_EQ(layout.RunDir(), "/srv/ws/run");
  EXPECT_EQ(layout.DriveDir('C'), "/srv/ws/drive_c");
  EXPECT_EQ(layout.DriveDir('x'), "/srv/ws/drive_x");
  EXPECT_EQ(layout.SystemFolder(), "/srv/ws/system\\");
  // Component text is Windows-1252: é in the host's UTF-8 becomes one byte.
  EXPECT_EQ((RootLayout{"/srv/jos\xC3\xA9"}.SystemFolder()), "/srv/jos\xE9/system\\");
}

TEST(RootLayout, EnsureCreatedMakesTheFoldersAndKeepsRunPrivate) {
  testing::TempRoot temp;
  const RootLayout layout{temp.Path() / "ws"};
  layout.EnsureCreated();
  for (const fs::path& folder : {layout.SystemDir(), layout.RegistryDir(), layout.RunDir(), layout.DriveDir('c')}) {
    EXPECT_TRUE(fs::is_directory(folder)) << folder;
  }
  EXPECT_EQ(fs::status(layout.RunDir()).permissions() & fs::perms::all, fs::perms::owner_all);
  layout.EnsureCreated();  // a second time is harmless

  temp.Write("blocked", "a file where the root should be");
  EXPECT_THROW((RootLayout{temp.Path() / "blocked"}.EnsureCreated()), std::runtime_error);
}

TEST(Environment, VariablesComeFromTheProcessAsComponentText) {
  ScopedEnvironment environment;
  environment.Set("LUMBRA_TEST_TEMP", "/tmp/jos\xC3\xA9");
  environment.Set("LUMBRA_TEST_UNSET", std::nullopt);
  EXPECT_EQ(GetEnvironment("LUMBRA_TEST_TEMP"), "/tmp/jos\xE9");
  EXPECT_EQ(GetHostEnvironment("LUMBRA_TEST_TEMP"), "/tmp/jos\xC3\xA9");
  EXPECT_EQ(GetEnvironment("LUMBRA_TEST_UNSET"), "");
}

}  // namespace
}  // namespace lumbra
