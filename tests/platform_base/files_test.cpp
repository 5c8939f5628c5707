#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/base/files.h"
#include "platform/base/wildcard.h"
#include "temp_root.h"

namespace lumbra {
namespace {

namespace fs = std::filesystem;

std::string ReadHost(const fs::path& host) {
  std::ifstream in(host, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.Write("drive_c/KX/Cards/Employee.cdf", "card");
    root_.Write("system/Ostrel.ini", "[Links]\n");
    root_.Write("system/kx.ini", "old");
  }
  // The current folder belongs to the process: put it back for the next test.
  void TearDown() override { ASSERT_TRUE(files_.SetCurrentFolder(saved_folder_)); }

  std::string Host(std::string_view relative) const { return (root_.Path() / relative).string(); }

  testing::TempRoot root_;
  FileSystem files_{root_.Path()};
  std::string saved_folder_ = FileSystem::CurrentFolder();
};

TEST_F(FilesTest, WindowsPathsMapBelowTheRoot) {
  ASSERT_TRUE(files_.SetCurrentFolder(Host("drive_c/KX")));
  const struct {
    std::string path;
    std::string host;
  } cases[] = {
      {"C:\\KX\\Cards\\Employee.cdf", "drive_c/KX/Cards/Employee.cdf"},
      {"c:/KX/Cards/", "drive_c/KX/Cards"},
      {"D:\\photos\\1.jpg", "drive_d/photos/1.jpg"},
      {"X:", "drive_x"},
      {"C:\\KX\\\\Cards\\.\\Employee.cdf", "drive_c/KX/Cards/Employee.cdf"},
      {"C:\\..\\..\\registry", "drive_c/registry"},  // ".." stops at the drive root
      {"Cards\\Employee.cdf", "drive_c/KX/Cards/Employee.cdf"},  // relative to the current folder
      {"..\\kx.exe", "drive_c/kx.exe"},
      {"\\temp\\a.bmp", "drive_c/temp/a.bmp"},  // root of the current folder's drive
      {Host("system") + "\\Ostrel.ini", "system/Ostrel.ini"},  // host path with a name appended
  };
  for (const auto& c : cases) EXPECT_EQ(files_.HostPath(c.path), root_.Path() / c.host) << c.path;
}

TEST_F(FilesTest, ALeadingSeparatorOutsideTheDrivesMeansDriveC) {
  ASSERT_TRUE(files_.SetCurrentFolder(Host("system")));
  EXPECT_EQ(files_.HostPath("\\KX"), root_.Path() / "drive_c/KX");
  EXPECT_EQ(files_.HostPath("kx.ini"), root_.Path() / "system/kx.ini");
}

TEST_F(FilesTest, NamesResolveWithoutRegardToCaseComponentByComponent) {
  const struct {
    std::string path;
    std::string host;
  } cases[] = {
      {"C:\\kx\\CARDS\\employee.CDF", "drive_c/KX/Cards/Employee.cdf"},
      {Host("system") + "\\ostrel.ini", "system/Ostrel.ini"},
      {Host("SYSTEM") + "\\OSTREL.INI", "system/Ostrel.ini"},
      // What does not exist keeps its given spelling from there on.
      {"C:\\kx\\NewFolder\\New.TXT", "drive_c/KX/NewFolder/New.TXT"},
  };
  for (const auto& c : cases) EXPECT_EQ(files_.HostPath(c.path), root_.Path() / c.host) << c.path;
}

TEST_F(FilesTest, TheExactSpellingWinsOverACaseVariant) {
  root_.Write("drive_c/a/Name.txt", "mixed");
  root_.Write("drive_c/a/NAME.TXT", "upper");
  EXPECT_EQ(files_.HostPath("C:\\a\\NAME.TXT"), root_.Path() / "drive_c/a/NAME.TXT");
  EXPECT_EQ(files_.HostPath("C:\\a\\Name.txt"), root_.Path() / "drive_c/a/Name.txt");
}

TEST_F(FilesTest, WritingOverwritesTheCaseVariantAndNewFilesKeepTheirSpelling) {
  { files_.OpenForWriting(Host("system") + "\\KX.INI") << "new"; }
  EXPECT_EQ(ReadHost(root_.Path() / "system/kx.ini"), "new");
  EXPECT_FALSE(fs::exists(root_.Path() / "system/KX.INI"));

  { files_.OpenForWriting("C:\\KX\\Cards\\Visitor.CDF") << "v"; }
  EXPECT_EQ(ReadHost(root_.Path() / "drive_c/KX/Cards/Visitor.CDF"), "v");
}

TEST_F(FilesTest, NonAsciiNamesAreUtf8OnTheHost) {
  { files_.OpenForWriting("C:\\jos\xE9.jpg") << "photo"; }  // josé in Windows-1252
  EXPECT_EQ(ReadHost(root_.Path() / "drive_c/jos\xC3\xA9.jpg"), "photo");
  EXPECT_TRUE(files_.Exists("C:\\JOS\xC9.JPG"));
  EXPECT_EQ(files_.FindFirst("C:\\*.jpg"), "jos\xE9.jpg");
}

TEST(Wildcard, MatchesLikeThePlatformsFind) {
  const struct {
    std::string pattern;
    std::string name;
    bool matches;
  } cases[] = {
      {"*", "anything.txt", true},
      {"*.cdf", "Employee.CDF", true},
      {"*.cdf", "Employee.cdf.bak", false},
      {"emp*.c?f", "EMPLOYEE.CDF", true},
      {"?.bmp", "a.bmp", true},
      {"?.bmp", "ab.bmp", false},
      {"*.*", "README", true},
      {"readme.*", "README", true},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
      {"kx.ini", "KX.INI", true},
      {"kx.ini", "kxx.ini", false},
      {"", "a", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

TEST_F(FilesTest, FindFirstReturnsTheNameOfAMatchingEntry) {
  root_.Write("drive_c/KX/Cards/Visitor.cdf", "");
  EXPECT_EQ(files_.FindFirst("C:\\kx\\cards\\*.CDF"), "Employee.cdf");  // first by name
  EXPECT_EQ(files_.FindFirst("C:\\kx\\cards\\VISITOR.cdf"), "Visitor.cdf");
  EXPECT_EQ(files_.FindFirst("C:\\kx\\c*"), "Cards");                    // folders are found too
  EXPECT_EQ(files_.FindFirst("C:\\kx\\cards\\*.lnk"), std::nullopt);
  EXPECT_EQ(files_.FindFirst("C:\\missing\\*"), std::nullopt);
  EXPECT_EQ(files_.FindFirst("C:\\kx\\cards\\"), std::nullopt);
  ASSERT_TRUE(files_.SetCurrentFolder("C:\\KX\\Cards"));
  EXPECT_EQ(files_.FindFirst("v*"), "Visitor.cdf");
}

TEST_F(FilesTest, ExistsSizeAndFolders) {
  EXPECT_TRUE(files_.Exists("C:\\KX\\CARDS\\EMPLOYEE.CDF"));
  EXPECT_EQ(files_.Size("C:\\KX\\CARDS\\EMPLOYEE.CDF"), 4u);
  EXPECT_FALSE(files_.Exists("C:\\KX\\Cards\\none.cdf"));
  EXPECT_EQ(files_.Size("C:\\KX\\Cards\\none.cdf"), std::nullopt);
  EXPECT_EQ(files_.Size("C:\\KX\\Cards"), std::nullopt);
  EXPECT_TRUE(files_.IsFolder("c:\\kx"));
  EXPECT_FALSE(files_.IsFolder("C:\\KX\\Cards\\Employee.cdf"));
}

TEST_F(FilesTest, CopyReplacesOrRefusesAnExistingTarget) {
  const std::string source = "C:\\KX\\Cards\\Employee.cdf";
  EXPECT_TRUE(files_.Copy(source, "C:\\KX\\copy.cdf", true));
  EXPECT_EQ(ReadHost(root_.Path() / "drive_c/KX/copy.cdf"), "card");

  EXPECT_FALSE(files_.Copy(source, Host("system") + "\\KX.ini", true));
  EXPECT_EQ(ReadHost(root_.Path() / "system/kx.ini"), "old");
  EXPECT_TRUE(files_.Copy(source, Host("system") + "\\KX.INI", false));
  EXPECT_EQ(ReadHost(root_.Path() / "system/kx.ini"), "card");
  EXPECT_FALSE(fs::exists(root_.Path() / "system/KX.INI"));

  EXPECT_FALSE(files_.Copy("C:\\KX\\none.cdf", "C:\\KX\\x.cdf", false));
  EXPECT_FALSE(files_.Copy("C:\\KX\\Cards", "C:\\KX\\x", false));
  EXPECT_FALSE(files_.Copy(source, "C:\\KX\\Cards", false));     // a folder is no target
  EXPECT_FALSE(files_.Copy(source, "C:\\nowhere\\x.cdf", false));
  EXPECT_FALSE(files_.Copy(source, "c:\\kx\\cards\\EMPLOYEE.CDF", false));  // onto itself
  EXPECT_EQ(ReadHost(root_.Path() / "drive_c/KX/Cards/Employee.cdf"), "card");
  // Nothing is left behind by the copies.
  EXPECT_EQ(std::distance(fs::directory_iterator(root_.Path() / "drive_c/KX"), fs::directory_iterator()), 2);
}

TEST_F(FilesTest, DeleteRemovesFilesOnly) {
  EXPECT_TRUE(files_.Delete("C:\\kx\\cards\\EMPLOYEE.cdf"));
  EXPECT_FALSE(fs::exists(root_.Path() / "drive_c/KX/Cards/Employee.cdf"));
  EXPECT_FALSE(files_.Delete("C:\\kx\\cards\\EMPLOYEE.cdf"));
  EXPECT_FALSE(files_.Delete("C:\\KX\\Cards"));
  EXPECT_TRUE(fs::is_directory(root_.Path() / "drive_c/KX/Cards"));
}

TEST_F(FilesTest, CreateFolderMakesOneLevel) {
  EXPECT_TRUE(files_.CreateFolder("C:\\KX\\Photos\\"));
  EXPECT_TRUE(fs::is_directory(root_.Path() / "drive_c/KX/Photos"));
  EXPECT_FALSE(files_.CreateFolder("C:\\KX\\photos"));  // exists already, in another case
  EXPECT_FALSE(files_.CreateFolder("C:\\KX\\A\\B"));    // the parent is missing
  EXPECT_FALSE(fs::exists(root_.Path() / "drive_c/KX/A"));
}

TEST_F(FilesTest, TheCurrentFolderIsSharedAndOnlyMovesToAFolder) {
  ASSERT_TRUE(files_.SetCurrentFolder("c:\\kx"));
  EXPECT_EQ(FileSystem::CurrentFolder(), Host("drive_c/KX"));
  FileSystem other(root_.Path());
  EXPECT_EQ(other.HostPath("Cards"), root_.Path() / "drive_c/KX/Cards");
  EXPECT_TRUE(files_.SetCurrentFolder("CARDS"));
  EXPECT_EQ(FileSystem::CurrentFolder(), Host("drive_c/KX/Cards"));
  EXPECT_FALSE(files_.SetCurrentFolder("C:\\missing"));
  EXPECT_FALSE(files_.SetCurrentFolder("Employee.cdf"));
  EXPECT_EQ(FileSystem::CurrentFolder(), Host("drive_c/KX/Cards"));
}

TEST_F(FilesTest, AnEmptyNameNamesNothing) {
  ASSERT_TRUE(files_.SetCurrentFolder("C:\\KX\\Cards"));
  EXPECT_FALSE(files_.Exists(""));
  EXPECT_FALSE(files_.IsFolder(""));
  EXPECT_FALSE(files_.SetCurrentFolder(""));
  EXPECT_FALSE(files_.Copy("Employee.cdf", "", false));
  EXPECT_FALSE(files_.Copy("", "x.cdf", false));
  EXPECT_FALSE(files_.Delete(""));
  EXPECT_FALSE(files_.CreateFolder(""));
  EXPECT_FALSE(files_.OpenForWriting(""));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_.Path() / "drive_c/KX/Cards"), fs::directory_iterator()), 1);
}

TEST_F(FilesTest, OpeningAFolderOrAMissingFileFails) {
  EXPECT_FALSE(files_.OpenForReading("C:\\KX\\Cards"));
  EXPECT_FALSE(files_.OpenForReading("C:\\KX\\none.txt"));
  EXPECT_FALSE(files_.OpenForWriting("C:\\KX\\Cards"));
  EXPECT_FALSE(files_.OpenForWriting("C:\\nowhere\\a.txt"));
  std::string content;
  EXPECT_TRUE(std::getline(files_.OpenForReading("c:\\KX\\cards\\employee.cdf"), content));
  EXPECT_EQ(content, "card");
}

}  // namespace
}  // namespace lumbra
