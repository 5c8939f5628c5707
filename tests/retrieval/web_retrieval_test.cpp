// ServerFetch in both controls' variants, against the test site.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "platform/http/http_client.h"
#include "retrieval/web_retrieval.h"
#include "workstation.h"

namespace lumbra {
namespace {

using testing::ReadFile;
using testing::TestSite;
using testing::Workstation;
namespace fs = std::filesystem;

class ServerFetchTest : public ::testing::Test {
 protected:
  int Fetch(const std::string& path, const std::string& local, bool status_only = false,
            const RetrievalVariant& variant = RetrievalVariant::kPrintControl) {
    WebRetrieval retrieval(ws_.services, ws_.account, variant, [this] { ++user_id_cleared_; });
    return retrieval.ServerFetch("", path, local, status_only);
  }

  TestSite site_{{.users = "op:pw\n", .tls_host = ""}};
  Workstation ws_{site_};
  int user_id_cleared_ = 0;
};

TEST_F(ServerFetchTest, TwoHundredStoresTheWholeBody) {
  std::string content(100'000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31);
  site_.Put("kx/cards/A.CDF", content);
  site_.Put("kx/cards/empty.cdf", "");
  const auto local = ws_.LocalPath("A.CDF");
  std::ofstream(local) << "an older, longer copy of the card file";
  EXPECT_EQ(Fetch("/kx/cards/a.cdf", local), 200);
  EXPECT_EQ(ReadFile(local), content);
  EXPECT_EQ(Fetch("/kx/cards/empty.cdf", ws_.LocalPath("empty.cdf")), 200);
  EXPECT_TRUE(fs::exists(ws_.LocalPath("empty.cdf")));
  EXPECT_EQ(fs::file_size(ws_.LocalPath("empty.cdf")), 0u);
  EXPECT_TRUE(ws_.ui.Journal().empty());
}

TEST_F(ServerFetchTest, OtherStatusesAndStatusOnlyLeaveLocalFilesAlone) {
  site_.Put("ostrel/ostrel.ini", "[new]");
  const auto existing = ws_.LocalPath("kept.ini");
  std::ofstream(existing) << "[old]";
  EXPECT_EQ(Fetch("/ostrel/missing.ini", existing), 404);
  EXPECT_EQ(ReadFile(existing), "[old]");
  EXPECT_EQ(Fetch("/ostrel/missing.ini", ws_.LocalPath("none.ini")), 404);
  EXPECT_FALSE(fs::exists(ws_.LocalPath("none.ini")));
  EXPECT_EQ(Fetch("/ostrel/ostrel.ini", existing, true), 200);
  EXPECT_EQ(ReadFile(existing), "[old]");
  EXPECT_EQ(Fetch("/ostrel/ostrel.ini", ws_.LocalPath("userinfo.txt"), true), 200);
  EXPECT_FALSE(fs::exists(ws_.LocalPath("userinfo.txt")));
  EXPECT_EQ(ws_.account.user_id, "op");
}

TEST_F(ServerFetchTest, DeniedEmptiesBothCredentials) {
  ws_.account.user_password = "wrong";
  EXPECT_EQ(Fetch("/ostrel/ostrel.ini", ws_.LocalPath("o.ini")), 401);
  EXPECT_EQ(ws_.account.user_id, "");
  EXPECT_EQ(ws_.account.user_password, "");
  EXPECT_EQ(user_id_cleared_, 1);
  EXPECT_TRUE(ws_.ui.MessageTexts().empty());
  EXPECT_FALSE(fs::exists(ws_.LocalPath("o.ini")));

  // The capture control also says so.
  EXPECT_EQ(Fetch("/fennic/fennic.ini", ws_.LocalPath("f.ini"), false, RetrievalVariant::kCaptureControl), 401);
  EXPECT_EQ(ws_.ui.MessageTexts(), std::vector<std::string>{"HTTP_STATUS_DENIED"});
}

TEST_F(ServerFetchTest, LoginPageCountsAsDeniedInThePrintControl) {
  struct Case {
    std::size_t marker_offset;
    const char* why;
  };
  // 2042 and 4090 put the marker across the first and second 2048-byte boundaries.
  for (const Case c : {Case{60, "inside one chunk"}, Case{2042, "across chunks 1-2"}, Case{4090, "across chunks 2-3"}}) {
    SCOPED_TRACE(c.why);
    site_.SetFaults({R"({"path": "/kx/cards/*", "login_page": true, "login_page_offset": )" +
                     std::to_string(c.marker_offset) + "}"});
    const auto local = ws_.LocalPath("card.cdf");
    EXPECT_EQ(Fetch("/kx/cards/card.cdf", local), 401);
    EXPECT_FALSE(fs::exists(local));
    // The capture control has no such test: the page is a file like any other.
    EXPECT_EQ(Fetch("/kx/cards/card.cdf", local, false, RetrievalVariant::kCaptureControl), 200);
    EXPECT_NE(ReadFile(local).find("/getblob.asp"), std::string::npos);
    fs::remove(local);
  }
  // Each chunk is text only up to its first zero byte: binary files do not trip the test.
  site_.SetFaults({});
  site_.Put("kx/bitmap/logo.bmp", std::string("BM\0/getblob.asp", 15));
  EXPECT_EQ(Fetch("/kx/bitmap/logo.bmp", ws_.LocalPath("logo.bmp")), 200);
  EXPECT_EQ(ws_.account.user_id, "op");
}

TEST_F(ServerFetchTest, BodyCutShortIsNoAnswerAndLeavesNoFile) {
  site_.Put("kx/cards/big.cdf", std::string(200'000, 'b'));
  site_.Put("kx/cards/gone.cdf", "x");
  site_.SetFaults({R"({"path": "/kx/cards/big.cdf", "cut_after": 50000})",
                   R"({"path": "/kx/cards/gone.cdf", "drop": true})"});
  struct Case {
    const char* path;
    bool old_copy_kept;  // a drop before any answer never touched the local file
  };
  for (const Case c : {Case{"/kx/cards/big.cdf", false}, Case{"/kx/cards/gone.cdf", true}}) {
    SCOPED_TRACE(c.path);
    ws_.ui.ClearJournal();
    const auto local = ws_.LocalPath("card.cdf");
    std::ofstream(local) << "old";
    EXPECT_EQ(Fetch(c.path, local), 0);
    EXPECT_EQ(fs::exists(local), c.old_copy_kept);
    const auto texts = ws_.ui.MessageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind(InternetErrorText(internet_error::kConnectionAborted), 0), 0u) << texts[0];
    EXPECT_EQ(texts[1], "Unable to connect to 127.0.0.1 server");
  }
}

TEST_F(ServerFetchTest, StalledServerEndsAtTheConfiguredBound) {
  ws_.registry.SetValue(Hive::LocalMachine, std::string(HttpSettings::kRegistryKey),
                        HttpSettings::kNoProgressTimeoutValue, RegValue::Number(300));
  site_.Put("ostrel/ostrel.ini", "[x]");
  site_.SetFaults({R"({"path": "/ostrel/*", "delay_ms": 20000})"});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Fetch("/ostrel/ostrel.ini", ws_.LocalPath("o.ini")), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  const auto texts = ws_.ui.MessageTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind("The operation timed out", 0), 0u) << texts[0];
}

TEST_F(ServerFetchTest, NoServerShowsThePlatformTextThenUnableToConnect) {
  site_.SetFaults({});
  ws_.account.server_url = "no server";
  EXPECT_EQ(Fetch("/ostrel/ostrel.ini", ws_.LocalPath("o.ini")), 0);
  const auto texts = ws_.ui.MessageTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind("The server name or address could not be resolved", 0), 0u) << texts[0];
  EXPECT_EQ(texts[1], "Unable to connect to no server server");
}

TEST_F(ServerFetchTest, LocalFileThatCannotBeCreated) {
  site_.Put("kx/bitmap/logo.bmp", "BM");
  const auto local = ws_.LocalPath("missing-folder/logo.bmp");
  const std::string report = local + " contains an invalid path.";
  // Print control: the platform's report, and the status stays 200.
  EXPECT_EQ(Fetch("/kx/bitmap/logo.bmp", local), 200);
  EXPECT_EQ(ws_.ui.MessageTexts(), std::vector<std::string>{report});
  ws_.ui.ClearJournal();
  // Capture control: "Error1: " and no success.
  EXPECT_EQ(Fetch("/kx/bitmap/logo.bmp", local, false, RetrievalVariant::kCaptureControl), 0);
  EXPECT_EQ(ws_.ui.MessageTexts(), std::vector<std::string>{"Error1: " + report});
  EXPECT_FALSE(fs::exists(local));
}

TEST_F(ServerFetchTest, WriteErrorLeavesNoPartialFile) {
  site_.Put("kx/cards/big.cdf", std::string(300'000, 'b'));
  const auto local = ws_.LocalPath("big.cdf");
  // A file size limit makes the writes fail part-way, as a full disk would.
  rlimit old_limit{};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = old_limit;
  limit.rlim_cur = 100'000;
  setrlimit(RLIMIT_FSIZE, &limit);
  const int print_status = Fetch("/kx/cards/big.cdf", local);
  const int capture_status = Fetch("/kx/cards/big.cdf", local, false, RetrievalVariant::kCaptureControl);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(print_status, 0);
  EXPECT_EQ(capture_status, 0);
  EXPECT_FALSE(fs::exists(local));
  const std::string report = "An unexpected error occurred while accessing " + local + ".";
  EXPECT_EQ(ws_.ui.MessageTexts(), (std::vector<std::string>{report, "Error2: " + report}));
}

TEST(ServerFetchTlsTest, PortTextOf443ChoosesTls) {
  TestSite site({.users = "", .tls_host = "site.lumbra.test"});
  site.Put("fennic/fennic.ini", "[tls]");
  Workstation ws(site);
  ws.account.server_url = "site.lumbra.test";
  ws.account.port = "443 secure";
  ws.registry.SetValue(Hive::LocalMachine, std::string(HttpSettings::kRegistryKey), HttpSettings::kSiteCaFileValue,
                       RegValue::Text(site.CaCert().string()));
  const std::string variable(HttpSettings::kConnectToVariable);
  setenv(variable.c_str(), ("site.lumbra.test:443:127.0.0.1:" + std::to_string(site.Port())).c_str(), 1);
  WebRetrieval retrieval(ws.services, ws.account, RetrievalVariant::kCaptureControl);
  const int status = retrieval.ServerFetch("", "/fennic/fennic.ini", ws.LocalPath("fennic.ini"), false);
  unsetenv(variable.c_str());
  EXPECT_EQ(status, 200);
  EXPECT_EQ(ReadFile(ws.LocalPath("fennic.ini")), "[tls]");
}

}  // namespace
}  // namespace lumbra
