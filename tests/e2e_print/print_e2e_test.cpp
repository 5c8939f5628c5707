// End to end: the sample pages run by `lumbra run`, printing through kestrix-sim (started by the
// control from kx.ini, as on a workstation) with the sample site served by lumbra-site. Checks
// the printed-card records kestrix-sim writes and the journal of everything the operator saw.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/root.h"
#include "platform/process/window_table.h"
#include "site_process.h"

namespace lumbra {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr char kUser[] = "operator";
constexpr char kPassword[] = "cards2026";

using testing::ReadWholeFile;

std::vector<json> JsonLines(const fs::path& path) {
  std::vector<json> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(json::parse(line));
  }
  return lines;
}

class PrintEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "lumbra-e2e-print-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    layout_.root = pattern;
    layout_.EnsureCreated();
    data_ = layout_.root / "drive_c" / "KX";
    for (const char* folder : {"cards", "links", "bitmap", "handlers"}) fs::create_directories(data_ / folder);
    fs::create_symlink(KESTRIX_SIM_PATH, data_ / "KX.exe");
    std::ofstream(data_ / "kestrix-sim.ini") << "[Print]\nDurationMs=50\n";
    std::ofstream(layout_.SystemDir() / "kx.ini") << "[SYSTEM]\r\nKXDataPath=C:\\KX\r\n";
    ::setenv("LUMBRA_ROOT", layout_.root.c_str(), 1);
    ASSERT_NO_FATAL_FAILURE(StartSite());
    ASSERT_EQ(Run(std::string(LUMBRA_PATH) + " register " + OSTREL_MODULE_PATH), 0);
  }

  void TearDown() override {
    site_process_.Stop();
    // A production application a failed run left behind is ended here.
    for (const auto& window : WindowTable(layout_.RunDir() / "windows").List()) ::kill(window.pid, SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    fs::remove_all(layout_.root);
  }

  void StartSite() {
    std::ofstream(layout_.root / "users.txt") << kUser << ":" << kPassword << "\n";
    const std::string root = std::string(EXAMPLES_PATH) + "/site";
    const std::string users = (layout_.root / "users.txt").string();
    const std::string log = (layout_.root / "requests.jsonl").string();
    // Generous: the machine may be busy building.
    const std::string error =
        site_process_.Start(LUMBRA_SITE_PATH, {"--root", root, "--port", "0", "--users", users, "--log", log},
                            layout_.root / "site.out", std::chrono::seconds(30));
    ASSERT_EQ(error, "");
    port_ = site_process_.Port();
  }

  static int Run(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Runs a sample page with the scripted user interface; its output goes to page.out.
  int RunPage(const std::string& page, const std::vector<std::string>& answers, const std::string& password = kPassword) {
    std::ofstream answers_file(layout_.root / "answers.txt");
    for (const std::string& answer : answers) answers_file << answer << "\n";
    answers_file.close();
    return Run(std::string(LUMBRA_PATH) + " run --ui script --answers " + (layout_.root / "answers.txt").string() +
               " --journal " + Journal().string() + " " + EXAMPLES_PATH + "/pages/" + page + " 127.0.0.1 " +
               std::to_string(port_) + " " + kUser + " " + password + " >" + (layout_.root / "page.out").string() +
               " 2>&1");
  }

  fs::path Journal() const { return layout_.root / "journal.jsonl"; }
  std::vector<json> Entries(const std::string& kind) const {
    std::vector<json> out;
    for (const json& entry : JsonLines(Journal())) {
      if (entry.at("kind") == kind) out.push_back(entry);
    }
    return out;
  }

  // The printed-card records, in print order.
  std::vector<json> Cards() const {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(data_ / "output", error)) {
      if (entry.path().extension() == ".json") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<json> cards;
    for (const fs::path& file : files) cards.push_back(json::parse(ReadWholeFile(file)));
    return cards;
  }

  // Files the runs left in the cache: none but the bitmaps and handlers kept for the control.
  std::vector<std::string> LeftInCache() const {
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(data_)) {
      const std::string relative = fs::relative(entry.path(), data_).string();
      if (entry.is_regular_file() && !entry.is_symlink() && !relative.starts_with("output/") &&
          relative != "kestrix-sim.ini") {
        left.push_back(relative);
      }
    }
    return left;
  }

  // The application ends just after it has answered its last command: give it a moment.
  bool ApplicationRunning() const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (WindowTable(layout_.RunDir() / "windows").FindByTitle("Korvel Kestrix")) {
      if (std::chrono::steady_clock::now() > end) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  RootLayout layout_;
  fs::path data_;
  testing::SiteProcess site_process_;
  int port_ = 0;
};

TEST_F(PrintEndToEnd, BatchPagePrintsEveryCardWithItsPhoto) {
  ASSERT_EQ(RunPage("ostrel-batch.js", {}), 0) << ReadWholeFile(layout_.root / "page.out");
  const std::vector<json> cards = Cards();
  ASSERT_EQ(cards.size(), 4u) << ReadWholeFile(layout_.root / "page.out");
  const char* names[] = {"Ana Lindqvist", "Tomas ''Tom'' Brenner", "Mira Okonjo", "Jonah Velde"};
  for (std::size_t i = 0; i < cards.size(); ++i) {
    EXPECT_EQ(cards[i].at("link"), "BADGE");
    EXPECT_EQ(cards[i].at("card"), "BADGE.CDF");
    EXPECT_EQ(cards[i].at("fields").at("NAME"), names[i]);
    EXPECT_FALSE(cards[i].at("fields").contains("DATAVIEWID"));
    // Photos numbered across the batch, one per record.
    EXPECT_EQ(cards[i].at("fields").at("PHOTO"), "C:\\KX\\" + std::to_string(i) + ".jpg");
    EXPECT_NE(cards[i].at("photo"), "") << "the photo was on disk while the card printed";
  }
  EXPECT_TRUE(Entries("message").empty());
  const std::vector<json> progress = Entries("progress");
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_EQ(progress[0].at("caption"), "Ostrel Batch Print Status");
  EXPECT_EQ(progress[0].at("percent_text"), "100%");
  // The fetched photos, link, card and site ini are gone; the kept bitmaps went with the control.
  EXPECT_EQ(LeftInCache(), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(layout_.SystemDir() / "ostrel.ini"));
  EXPECT_FALSE(ApplicationRunning()) << "the control closes the application it started";
}

TEST_F(PrintEndToEnd, SingleCardPagePrintsByRecordType) {
  ASSERT_EQ(RunPage("ostrel-single.js", {}), 0) << ReadWholeFile(layout_.root / "page.out");
  const std::vector<json> cards = Cards();
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0].at("link"), "BADGE");
  EXPECT_EQ(cards[0].at("fields").at("EMPNO"), "E1002");
  EXPECT_EQ(cards[0].at("fields").at("NAME"), "TOMAS BRENNER");
  EXPECT_EQ(cards[1].at("link"), "VISITOR");
  EXPECT_EQ(cards[1].at("fields").at("HOST"), "ANA LINDQVIST");
  for (const json& card : cards) EXPECT_EQ(card.at("fields").at("PHOTO"), "C:\\KX\\NEWPHOTO.JPG");
  EXPECT_TRUE(Entries("message").empty());
  EXPECT_EQ(LeftInCache(), std::vector<std::string>{});
  EXPECT_FALSE(ApplicationRunning());
}

TEST_F(PrintEndToEnd, PreviewAnsweredNoPrintsNothingAndYesPrints) {
  ASSERT_EQ(RunPage("ostrel-preview.js", {"no"}), 0);
  EXPECT_TRUE(Cards().empty());
  std::vector<json> questions = Entries("message");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].at("text"), "Press Yes to print, No to return to the browser.");
  EXPECT_EQ(questions[0].at("answer"), "no");
  EXPECT_NE(ReadWholeFile(layout_.root / "page.out").find("FieldInfoList: \"N\""), std::string::npos);

  ASSERT_EQ(RunPage("ostrel-preview.js", {"yes"}), 0);
  const std::vector<json> cards = Cards();
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].at("link"), "EVENT");
  EXPECT_EQ(cards[0].at("fields").at("LEVEL"), "GOLD");
  // The Ploxen handler's ini and the level bitmaps it lists were fetched.
  EXPECT_TRUE(fs::exists(layout_.SystemDir() / "PLOXEN.INI"));
  std::size_t gold_requests = 0;
  for (const json& request : JsonLines(layout_.root / "requests.jsonl")) {
    // The client answers the site's challenge: count the answered requests only.
    gold_requests += request.at("path") == "/kx/bitmap/GOLD.BMP" && request.at("status") == 200 ? 1 : 0;
  }
  EXPECT_EQ(gold_requests, 2u) << "one per run: the control deletes what it fetched when it goes";
}

TEST_F(PrintEndToEnd, WrongPasswordAsksForTheLoginAndThenPrints) {
  ASSERT_EQ(RunPage("ostrel-single.js", {std::string("login ") + kUser + " " + kPassword}, "wrong"), 0);
  const std::vector<json> logins = Entries("login");
  ASSERT_EQ(logins.size(), 1u);
  EXPECT_EQ(logins[0].at("caption"), "Enter Network Password");
  EXPECT_EQ(logins[0].at("text"), "UserName/Password incorrect.  Please try again.");
  EXPECT_EQ(Cards().size(), 2u);
}

TEST_F(PrintEndToEnd, CancelledLoginPrintsNothingAndSaysNothing) {
  ASSERT_EQ(RunPage("ostrel-batch.js", {"cancel"}, "wrong"), 0);
  EXPECT_TRUE(Cards().empty());
  EXPECT_EQ(Entries("login").size(), 1u);
  EXPECT_TRUE(Entries("message").empty());
}

}  // namespace
}  // namespace lumbra
