#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "link_fixture.h"
#include "production/launcher.h"

namespace lumbra {
namespace {

class LaunchCommandTest : public testing::LinkFixture {
 protected:
  void Ini(const std::string& name, const std::string& text) {
    std::ofstream(layout_.SystemDir() / name) << text;
  }
  LaunchCommand Build(std::string user = "", std::string password = "") {
    user_ = std::move(user);
    password_ = std::move(password);
    return BuildLaunchCommand(*services_, layout_.SystemFolder(), user_, password_);
  }
  std::string user_, password_;
};

TEST_F(LaunchCommandTest, NoIniMeansNoCommandAndDefaultTimeLimit) {
  EXPECT_EQ(Build().command_line, "");
  EXPECT_EQ(user_, "") << "the login defaults only apply when the application is found";
  EXPECT_EQ(ReadLinkTimeout(*services_, layout_.SystemFolder()), 15000u);
}

TEST_F(LaunchCommandTest, KxIniWinsOverKxxIni) {
  Ini("KX.INI", "[SYSTEM]\nKXDataPath=C:\\KX\n[DDE]\nKXServerDDETimeout=30000\n");
  Ini("kxx.ini", "[SYSTEM]\nKXDataPath=C:\\KXX\n[DDE]\nKXServerDDETimeout=45000\n");
  LaunchCommand launch = Build("OPERATOR", "SECRET");
  EXPECT_EQ(launch.command_line, "C:\\KX\\KX.exe -I -NOPERATOR -PSECRET -S");
  EXPECT_EQ(launch.production_data_folder, "C:\\KX");
  EXPECT_EQ(ReadLinkTimeout(*services_, layout_.SystemFolder()), 30000u);
}

TEST_F(LaunchCommandTest, KxpePathTakesNoLogin) {
  Ini("kx.ini", "[SYSTEM]\nKxpePath=D:\\KXPE\nKXDataPath=C:\\KX\n");
  LaunchCommand launch = Build();
  EXPECT_EQ(launch.command_line, "D:\\KXPE\\KXPE.exe");
  EXPECT_EQ(launch.production_data_folder, "D:\\KXPE");
}

TEST_F(LaunchCommandTest, KxxIniWithLoginDefaults) {
  Ini("kxx.ini", "[system]\nkxdatapath=C:\\Kestrix Data\n[dde]\nKXServerDDETimeout=250ms\n");
  LaunchCommand launch = Build();
  EXPECT_EQ(launch.command_line, "C:\\Kestrix Data\\KXX.exe -I -NZIDEZ -PZIDEZ -S") << "values are used as read";
  EXPECT_EQ(user_, "ZIDEZ");
  EXPECT_EQ(password_, "ZIDEZ");
  EXPECT_EQ(ReadLinkTimeout(*services_, layout_.SystemFolder()), 250u);
}

TEST_F(LaunchCommandTest, TimeLimitValues) {
  struct Case {
    std::string value;
    std::uint32_t limit;
  };
  for (const Case& c : {Case{"", 15000}, Case{"none", 0}, Case{"0", 0}, Case{"99999999999", 4294967295u}}) {
    Ini("kx.ini", "[DDE]\nKXServerDDETimeout=" + c.value + "\n");
    EXPECT_EQ(ReadLinkTimeout(*services_, layout_.SystemFolder()), c.limit) << c.value;
  }
}

TEST_F(LaunchCommandTest, IniWithoutDataPathStartsWithTheBackslash) {
  Ini("kx.ini", "[SYSTEM]\n");
  EXPECT_EQ(Build().command_line, "\\KX.exe -I -NZIDEZ -PZIDEZ -S");
}

}  // namespace
}  // namespace lumbra
