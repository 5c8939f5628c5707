// End to end: the sample page quorra-save.js, run by `lumbra run`, selects two files and posts
// them to lumbra-site (a process, with a users file); the files the receiver stores equal the
// originals.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <chrono>
#include <string>

#include "site_process.h"

namespace lumbra {
namespace {

namespace fs = std::filesystem;

using testing::ReadWholeFile;

int RunCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class DataSaveEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "lumbra-e2e-quorra-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    site_ = root_ / "site";
    fs::create_directories(site_);
    ::setenv("LUMBRA_ROOT", (root_ / "workstation").c_str(), 1);
    StartSite();
    ASSERT_EQ(RunCommand(std::string(LUMBRA_PATH) + " register " + QUORRA_MODULE_PATH + " >/dev/null"), 0);
  }

  void TearDown() override {
    site_process_.Stop();
    fs::remove_all(root_);
  }

  void StartSite() {
    std::ofstream(root_ / "users.txt") << "operator:cards2026\n";
    const std::string users = (root_ / "users.txt").string();
    const std::string error = site_process_.Start(LUMBRA_SITE_PATH, {"--root", site_.string(), "--port", "0", "--users", users},
                                                  root_ / "site.out", std::chrono::seconds(30));
    ASSERT_EQ(error, "");
    port_ = site_process_.Port();
  }

  fs::path root_;
  fs::path site_;
  testing::SiteProcess site_process_;
  int port_ = 0;
};

TEST_F(DataSaveEndToEnd, APageSavesTwoFilesThatTheSiteStoresUnchanged) {
  std::string photo(2 * 1024 * 1024 + 17, '\0');
  std::mt19937 random(7);
  for (char& byte : photo) byte = static_cast<char>(random());  // 0xFE and 0xDE bytes included
  const std::string signature = "\x89PNG signature \xFE\xDE";
  std::ofstream(root_ / "photo.jpg", std::ios::binary) << photo;
  std::ofstream(root_ / "signature.png", std::ios::binary) << signature;
  std::ofstream(root_ / "answers.txt") << "login operator cards2026\n";

  const fs::path output = root_ / "page.out";
  const int status = RunCommand(std::string(LUMBRA_PATH) + " run --ui script --answers " + (root_ / "answers.txt").string() +
                         " --journal " + (root_ / "journal.jsonl").string() + " " + EXAMPLES_PATH +
                         "/pages/quorra-save.js 127.0.0.1 " + std::to_string(port_) + " " +
                         (root_ / "photo.jpg").string() + " " + (root_ / "signature.png").string() + " >" +
                         output.string() + " 2>&1");
  ASSERT_EQ(status, 0) << ReadWholeFile(output);
  EXPECT_NE(ReadWholeFile(output).find("quorra-save: answer: SUCCESS"), std::string::npos) << ReadWholeFile(output);

  // The selection table goes in path order: photo.jpg before signature.png.
  const fs::path stored = site_ / "datasave" / "received" / "0001";
  EXPECT_EQ(ReadWholeFile(stored / "block-1.bin"), photo);
  EXPECT_EQ(ReadWholeFile(stored / "block-2.bin"), signature);
  EXPECT_EQ(ReadWholeFile(stored / "form.txt"), "ID=E1002&NAME=Tomas Brenner&DEPT=Issuance");
  // The originals stay: the page cleared its selection without deleting.
  EXPECT_TRUE(fs::exists(root_ / "photo.jpg"));
  const std::string journal = ReadWholeFile(root_ / "journal.jsonl");
  EXPECT_NE(journal.find("Enter your Network Password"), std::string::npos);
}

TEST_F(DataSaveEndToEnd, TheModuleRegistersItsNamesAndVersionAndUnregisters) {
  const fs::path classes = root_ / "workstation" / "registry" / "HKEY_CLASSES_ROOT.reg";
  const std::string registered = ReadWholeFile(classes);
  for (const char* text : {"[HKEY_CLASSES_ROOT\\Quorra.DataSave.1\\CLSID]", "[HKEY_CLASSES_ROOT\\Quorra.DataSave\\CurVer]",
                           "@=\"2.0.0.19\"", "\\Programmable]", "@=\"Quorra 1.0 Type Library\"",
                           "\"ThreadingModel\"=\"Apartment\""}) {
    EXPECT_NE(registered.find(text), std::string::npos) << text;
  }
  ASSERT_EQ(RunCommand(std::string(LUMBRA_PATH) + " unregister " + QUORRA_MODULE_PATH + " >/dev/null"), 0);
  EXPECT_EQ(ReadWholeFile(classes).find("Quorra"), std::string::npos);
}

}  // namespace
}  // namespace lumbra
