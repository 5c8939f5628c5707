// CheckServerLogin in both controls' variants: the probe, the dialog, up to three tries.
#include <gtest/gtest.h>

#include "retrieval/web_retrieval.h"
#include "workstation.h"

namespace lumbra {
namespace {

using testing::TestSite;
using testing::Workstation;

constexpr const char* kRetryMessage = "UserName/Password incorrect.  Please try again.";

class LoginCheckTest : public ::testing::Test {
 protected:
  LoginCheckTest() {
    site_.Put("ostrel/ostrel.ini", "[ostrel]");
    site_.Put("fennic/fennic.ini", "[fennic]");
  }

  bool Check(const RetrievalVariant& variant = RetrievalVariant::kPrintControl) {
    WebRetrieval retrieval(ws_.services, ws_.account, variant);
    return retrieval.CheckServerLogin(dialog_);
  }
  std::vector<JournalEntry> Dialogs() const {
    std::vector<JournalEntry> dialogs;
    for (const auto& entry : ws_.ui.Journal()) {
      if (entry.kind == "login") dialogs.push_back(entry);
    }
    return dialogs;
  }

  TestSite site_{{.users = "op:right\n", .tls_host = ""}};
  Workstation ws_{site_};
  LoginDialog dialog_;
};

TEST_F(LoginCheckTest, AcceptedCredentialsAskNothing) {
  ws_.account.user_password = "right";
  EXPECT_TRUE(Check());
  EXPECT_TRUE(ws_.ui.Journal().empty());
  // The probe asks for the control's own ini (first without, then with the credentials).
  const auto lines = site_.LogLines(2);
  ASSERT_EQ(lines.size(), 2u);
  for (const auto& line : lines) EXPECT_NE(line.find("\"path\":\"/Ostrel/Ostrel.ini\""), std::string::npos);
}

TEST_F(LoginCheckTest, ServerDownLetsTheCallerGoOn) {
  ws_.account.port = "1";
  EXPECT_TRUE(Check());
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(LoginCheckTest, RightCredentialsOnTheThirdTry) {
  ws_.account.user_password = "stale";
  dialog_.password = "typed before";
  for (const char* answer : {"login op wrong1", "login op wrong2", "login op right"}) ws_.ui.Queue(answer);
  EXPECT_TRUE(Check());
  const auto dialogs = Dialogs();
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_EQ(dialogs[0].caption, "Enter Network Password");
  EXPECT_EQ(dialogs[0].text, kRetryMessage);
  EXPECT_EQ(ws_.account.user_id, "op");
  EXPECT_EQ(ws_.account.user_password, "right");
}

TEST_F(LoginCheckTest, ThreeRefusalsEndWithEmptyCredentials) {
  ws_.account.user_password = "stale";
  for (const char* answer : {"login op a", "login op b", "login op c", "login op right"}) ws_.ui.Queue(answer);
  EXPECT_FALSE(Check());
  EXPECT_EQ(Dialogs().size(), 3u);
  EXPECT_EQ(ws_.account.user_id, "");
  EXPECT_EQ(ws_.account.user_password, "");
}

TEST_F(LoginCheckTest, CancelEndsTheCheck) {
  ws_.account.user_password = "stale";
  ws_.ui.Queue("cancel");
  EXPECT_FALSE(Check());
  EXPECT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(ws_.account.user_id, "");
  EXPECT_EQ(ws_.account.user_password, "");
}

TEST_F(LoginCheckTest, PaymentRequiredWithBothCredentialsSetAsksNothingAndFails) {
  site_.SetFaults({R"({"path": "/Ostrel/Ostrel.ini", "status": 402})"});
  ws_.account.user_password = "right";
  dialog_.message = "kept";
  EXPECT_FALSE(Check());
  EXPECT_TRUE(Dialogs().empty());
  EXPECT_EQ(dialog_.message, "kept");
  EXPECT_EQ(dialog_.password, "");
}

TEST_F(LoginCheckTest, CaptureControlGivesUpAfterOneRefusedTry) {
  ws_.account.user_password = "stale";
  for (const char* answer : {"login op wrong", "login op right"}) ws_.ui.Queue(answer);
  EXPECT_FALSE(Check(RetrievalVariant::kCaptureControl));
  EXPECT_EQ(Dialogs().size(), 1u);
  // Each refused probe announced itself.
  EXPECT_EQ(ws_.ui.MessageTexts(), (std::vector<std::string>{"HTTP_STATUS_DENIED", "HTTP_STATUS_DENIED"}));
  const auto lines = site_.LogLines(2);
  EXPECT_NE(lines[0].find("/Fennic/Fennic.ini"), std::string::npos);
}

TEST_F(LoginCheckTest, CaptureControlTriesAgainWhileAnEntryIsBlank) {
  ws_.account.user_password = "stale";
  for (const char* answer : {"login op ", "login op right"}) ws_.ui.Queue(answer);
  EXPECT_TRUE(Check(RetrievalVariant::kCaptureControl));
  EXPECT_EQ(Dialogs().size(), 2u);
  EXPECT_EQ(ws_.account.user_password, "right");
}

}  // namespace
}  // namespace lumbra
