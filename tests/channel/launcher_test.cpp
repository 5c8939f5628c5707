#include "platform/process/launcher.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/base/files.h"

namespace lumbra {
namespace {

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumbra-launch-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    std::filesystem::create_directories(root_ / "drive_c" / "KX");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  void WriteProgram(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path) << text;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }

  static bool Gone(pid_t pid) {
    for (int i = 0; i < 200; ++i) {
      if (!std::filesystem::exists("/proc/" + std::to_string(pid))) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  std::filesystem::path root_;
};

TEST_F(LauncherTest, RunsAWindowsStyleCommandLineSplitAtBlanksAndReapsIt) {
  std::filesystem::path out = root_ / "args.txt";
  WriteProgram(root_ / "drive_c" / "KX" / "KX.exe", "#!/bin/sh\nprintf '%s|' \"$@\" > " + out.string() + "\n");
  FileSystem files(root_);
  LaunchResult result = LaunchCommandLine(files, "C:\\kx\\KX.exe -I  -NZIDEZ -PZIDEZ -S");
  ASSERT_TRUE(result.Started()) << result.code;
  EXPECT_GE(result.code, 32u);
  EXPECT_TRUE(Gone(result.pid)) << "the ended process is reaped, not left a zombie";
  std::ifstream in(out);
  std::string args((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(args, "-I|-NZIDEZ|-PZIDEZ|-S|");
}

TEST_F(LauncherTest, FailuresUseThePlatformNumbers) {
  WriteProgram(root_ / "drive_c" / "KX" / "plain.exe", "no interpreter line\n");
  FileSystem files(root_);
  struct Case {
    std::string line;
    std::uint32_t code;
  };
  for (const Case& c : {Case{"", kLaunchFileNotFound}, Case{"C:\\KX\\missing.exe -S", kLaunchFileNotFound},
                        Case{"C:\\nowhere\\KX.exe", kLaunchPathNotFound}, Case{"C:\\KX\\plain.exe", kLaunchBadFormat},
                        Case{"C:\\KX", kLaunchBadFormat}, Case{"\\KX.exe -I", kLaunchFileNotFound}}) {
    LaunchResult result = LaunchCommandLine(files, c.line);
    EXPECT_EQ(result.code, c.code) << c.line;
    EXPECT_FALSE(result.Started()) << c.line;
  }
}

TEST(ProcessAlive, TellsRunningFromEnded) {
  EXPECT_TRUE(ProcessAlive(::getpid()));
  EXPECT_FALSE(ProcessAlive(0));
}

}  // namespace
}  // namespace lumbra
