#include <gtest/gtest.h>

#include "data_save_fixture.h"

namespace lumbra::testing {
namespace {

using ServerCallTest = DataSaveTest;

TEST_F(ServerCallTest, GetDataPostsTheQueryAsAFormToThePageBeforeTheFirstQuestionMark) {
  site_.answer = [](const SeenRequest& seen) {
    return seen.method == "POST" ? Answer{200, "name=" + seen.body} : Answer{200, ""};
  };
  EXPECT_EQ(data_save_.GetData("/page.asp?a=1&b=2?c"), "name=a=1&b=2?c");
  const SeenRequest post = site_.Requests().back();
  EXPECT_EQ(post.path, "/page.asp");
  EXPECT_EQ(post.content_type, "application/x-www-form-urlencoded");
  EXPECT_EQ(post.user_agent, "MSIE4.");
  // Without a "?" the whole URL is the body, posted to the bare root.
  data_save_.GetData("a=1");
  EXPECT_EQ(site_.Requests().back().path, "/");
  EXPECT_EQ(site_.Requests().back().body, "a=1");
}

TEST_F(ServerCallTest, AnErrorStatusIsShownAndGivesNoAnswer) {
  site_.answer = [](const SeenRequest& seen) {
    return seen.method == "POST" ? Answer{404, "missing"} : Answer{200, ""};
  };
  EXPECT_EQ(data_save_.GetData("/page.asp?a=1"), "");
  EXPECT_EQ(Messages(), std::vector<std::string>{"SendRequest failed with dwStatusCode = 404"});
}

TEST_F(ServerCallTest, TheProbePageHangsOffAppPath) {
  struct Case {
    std::string app_path;
    std::string probed;
  };
  for (const Case& c : {Case{"/site/", "/site/Blank.html"}, Case{"", "/Blank.html"}}) {
    data_save_.properties.app_path = c.app_path;
    EXPECT_TRUE(data_save_.CheckServerLogin().ok);
    EXPECT_EQ(site_.Requests().back().path, c.probed);
    EXPECT_EQ(site_.Requests().back().method, "GET");
  }
}

TEST_F(ServerCallTest, LoginDialogFlows) {
  site_.user = "op";
  site_.password = "pw";
  ui_.Queue("login op pw");
  LoginCheck check = data_save_.CheckServerLogin();
  EXPECT_TRUE(check.ok);
  EXPECT_EQ(check.status, 200);
  const std::size_t one_login = site_.Requests().size();
  ASSERT_EQ(ui_.Journal().size(), 2u);  // the status box, then the dialog
  EXPECT_EQ(ui_.Journal()[0].text, "SendRequest failed with dwStatusCode = 401");
  EXPECT_EQ(ui_.Journal()[1].kind, "login");
  EXPECT_EQ(ui_.Journal()[1].caption, "Enter your Network Password");
  EXPECT_EQ(ui_.Journal()[1].text, "BADUSRPASS");
  EXPECT_EQ(data_save_.GetUserName(), "op");
  EXPECT_EQ(data_save_.GetPassword(), "pw");
  EXPECT_EQ(site_.Requests().size(), one_login);  // stored credentials need no request

  // An empty password uses up an attempt without a request.
  DataSave fresh(services_);
  fresh.properties = data_save_.properties;
  ui_.Queue("login op ");
  ui_.Queue("login op pw");
  check = fresh.CheckServerLogin();
  EXPECT_TRUE(check.ok);
  EXPECT_EQ(site_.Requests().size(), 2 * one_login);
  EXPECT_EQ(ui_.PendingAnswers(), 0u);

  // A 401 from any later call empties both, so the next GetPassword asks again.
  site_.password = "new";
  EXPECT_EQ(data_save_.GetData("/page.asp?a=1"), "");
  ui_.Queue("login op new");
  EXPECT_EQ(data_save_.GetPassword(), "new");
}

TEST_F(ServerCallTest, CancelAndThreeRefusals) {
  site_.user = "op";
  site_.password = "pw";
  ui_.Queue("cancel");
  LoginCheck check = data_save_.CheckServerLogin();
  EXPECT_FALSE(check.ok);
  EXPECT_EQ(check.status, -1);

  for (int i = 0; i < 3; ++i) ui_.Queue("login op bad");
  check = data_save_.CheckServerLogin();
  EXPECT_FALSE(check.ok);
  EXPECT_EQ(check.status, 401);
  EXPECT_EQ(ui_.PendingAnswers(), 0u);
}

TEST_F(ServerCallTest, AnOpenServerNeedsNoNameSoGetUserNameStaysEmpty) {
  EXPECT_EQ(data_save_.GetUserName(), "");
  EXPECT_EQ(site_.Requests().size(), 1u);
  EXPECT_TRUE(ui_.Journal().empty());
}

TEST_F(ServerCallTest, GetBioDownloadsWithTheImageAcceptType) {
  site_.answer = [](const SeenRequest& seen) {
    return seen.path == "/bio.asp" ? Answer{200, std::string("\x89PNG\0body", 9)} : Answer{200, ""};
  };
  const std::string target = (root_.root / "bio.png").string();
  data_save_.GetBio("/bio.asp?id=4", target);
  EXPECT_EQ(Read(target), std::string("\x89PNG\0body", 9));
  EXPECT_EQ(site_.Requests().back().accept, "image/*, */*");
}

TEST_F(ServerCallTest, GetBioCancelledAtTheLoginTouchesNothing) {
  site_.user = "op";
  site_.password = "pw";
  const std::string target = Write("bio.png", "old");
  ui_.Queue("cancel");
  data_save_.GetBio("/bio.asp?id=4", target);
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(site_.Requests().size(), 1u);  // the probe only
}

TEST_F(ServerCallTest, GetBioWithAnErrorStatusLeavesTheFileAlone) {
  site_.answer = [](const SeenRequest& seen) {
    return seen.path == "/bio.asp" ? Answer{404, "no"} : Answer{200, ""};
  };
  const std::string target = Write("bio.png", "old");
  data_save_.GetBio("/bio.asp", target);
  EXPECT_EQ(Read(target), "old");
}

}  // namespace
}  // namespace lumbra::testing
