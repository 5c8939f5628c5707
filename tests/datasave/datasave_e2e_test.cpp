// End to end: the sample page quorra-save.js, run by `lumbra run`, selects two files and posts
// them to lumbra-site (a process, with a users file); the files the receiver stores equal the
// originals.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

namespace lumbra {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

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
    if (site_pid_ > 0) {
      ::kill(site_pid_, SIGTERM);
      ::waitpid(site_pid_, nullptr, 0);
    }
    fs::remove_all(root_);
  }

  void StartSite() {
    std::ofstream(root_ / "users.txt") << "operator:cards2026\n";
    const fs::path out = root_ / "site.out";
    site_pid_ = ::fork();
    ASSERT_GE(site_pid_, 0);
    if (site_pid_ == 0) {
      const std::string users = (root_ / "users.txt").string();
      if (!std::freopen(out.c_str(), "w", stdout)) ::_exit(127);
      ::execl(LUMBRA_SITE_PATH, LUMBRA_SITE_PATH, "--root", site_.c_str(), "--port", "0", "--users", users.c_str(),
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
      const std::string text = ReadFile(out);
      const auto at = text.find("127.0.0.1:");
      if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
        port_ = std::stoi(text.substr(at + 10));
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    FAIL() << "lumbra-site did not start: " << ReadFile(out);
  }

  fs::path root_;
  fs::path site_;
  pid_t site_pid_ = -1;
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
  ASSERT_EQ(status, 0) << ReadFile(output);
  EXPECT_NE(ReadFile(output).find("quorra-save: answer: SUCCESS"), std::string::npos) << ReadFile(output);

  // The selection table goes in path order: photo.jpg before signature.png.
  const fs::path stored = site_ / "datasave" / "received" / "0001";
  EXPECT_EQ(ReadFile(stored / "block-1.bin"), photo);
  EXPECT_EQ(ReadFile(stored / "block-2.bin"), signature);
  EXPECT_EQ(ReadFile(stored / "form.txt"), "ID=E1002&NAME=Tomas Brenner&DEPT=Issuance");
  // The originals stay: the page cleared its selection without deleting.
  EXPECT_TRUE(fs::exists(root_ / "photo.jpg"));
  const std::string journal = ReadFile(root_ / "journal.jsonl");
  EXPECT_NE(journal.find("Enter your Network Password"), std::string::npos);
}

TEST_F(DataSaveEndToEnd, TheModuleRegistersItsNamesAndVersionAndUnregisters) {
  const fs::path classes = root_ / "workstation" / "registry" / "HKEY_CLASSES_ROOT.reg";
  const std::string registered = ReadFile(classes);
  for (const char* text : {"[HKEY_CLASSES_ROOT\\Quorra.DataSave.1\\CLSID]", "[HKEY_CLASSES_ROOT\\Quorra.DataSave\\CurVer]",
                           "@=\"2.0.0.19\"", "\\Programmable]", "@=\"Quorra 1.0 Type Library\"",
                           "\"ThreadingModel\"=\"Apartment\""}) {
    EXPECT_NE(registered.find(text), std::string::npos) << text;
  }
  ASSERT_EQ(RunCommand(std::string(LUMBRA_PATH) + " unregister " + QUORRA_MODULE_PATH + " >/dev/null"), 0);
  EXPECT_EQ(ReadFile(classes).find("Quorra"), std::string::npos);
}

}  // namespace
}  // namespace lumbra
