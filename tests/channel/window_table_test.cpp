#include "platform/process/window_table.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lumbra {
namespace {

class WindowTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumbra-win-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = std::filesystem::path(pattern) / "run" / "windows";
  }
  void TearDown() override { std::filesystem::remove_all(folder_.parent_path().parent_path()); }
  std::filesystem::path folder_;
};

TEST_F(WindowTableTest, FindHideShowRaise) {
  WindowTable table(folder_);
  auto first = table.Create("Nubrak Capture 1");
  auto main = table.Create("Korvel Kestrix");
  auto second = table.Create("Nubrak Capture 2");
  ASSERT_TRUE(first && main && second);

  EXPECT_EQ(table.FindByTitle("Korvel Kestrix")->id, main->id);
  EXPECT_FALSE(table.FindByTitle("Korvel"));
  EXPECT_EQ(table.FindContaining("Nubrak")->title, "Nubrak Capture 1") << "creation order";
  EXPECT_FALSE(table.FindContaining("Capture 1", 12)) << "only the first characters of a title are read";

  ASSERT_TRUE(table.Hide(first->id));
  EXPECT_FALSE(table.FindContaining("Nubrak")->visible);
  ASSERT_TRUE(table.Show(first->id));
  ASSERT_TRUE(table.RaiseTopmost(first->id));
  auto shown = table.FindContaining("Nubrak");
  EXPECT_TRUE(shown->visible);
  EXPECT_TRUE(shown->topmost);

  EXPECT_TRUE(table.Destroy(first->id));
  EXPECT_EQ(table.FindContaining("Nubrak")->title, "Nubrak Capture 2");
  EXPECT_FALSE(table.Hide("../escape"));
}

TEST_F(WindowTableTest, WindowsOfEndedProcessesAreIgnoredAndRemoved) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    WindowTable(folder_).Create("Korvel Kestrix");
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);

  WindowTable table(folder_);
  EXPECT_FALSE(table.FindByTitle("Korvel Kestrix"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 0);
}

}  // namespace
}  // namespace lumbra
