// lumbra-site as the components meet it: names without regard to case, Basic authentication,
// the photo pages, the request log and the fault rules.
#include <gtest/gtest.h>

#include <algorithm>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "test_site.h"

namespace lumbra::testing {
namespace {

class SiteTest : public ::testing::Test {
 protected:
  httplib::Result Get(const std::string& target, const std::string& user = "", const std::string& password = "") {
    httplib::Client client("127.0.0.1", site_.Port());
    if (!user.empty()) client.set_basic_auth(user.c_str(), password.c_str());
    return client.Get(target.c_str());
  }

  TestSite site_;
};

TEST_F(SiteTest, FilesMatchWithoutRegardToCaseAndNeverOutsideTheSite) {
  site_.Put("KX/Cards/A.cdf", "card");
  site_.Put("ZELCOR/PROJECTS/Main/Main.cvc", "project");
  EXPECT_EQ(Get("/kx/cards/a.CDF")->body, "card");
  EXPECT_EQ(Get("/zelcor/projects/MAIN/main.CVC")->body, "project");
  EXPECT_EQ(Get("/kx/cards/missing.cdf")->status, 404);
  EXPECT_EQ(Get("/kx/cards/../../requests.log")->status, 404);
  EXPECT_EQ(Get("/kx/cards")->status, 404);
}

TEST_F(SiteTest, PhotoPagesAnswerByKeyFromThePhotosFolder) {
  site_.Put("photos/42.jpg", "employee");
  site_.Put("photos/EMP/PHOTO/ID_5.JPG", "stored");
  site_.Put("photos/EMP/PHOTO/A_1_B_2.jpg", "escaped");
  struct Case {
    std::string target;
    int status;
    std::string body;
  };
  const Case cases[] = {
      {"/kx/emp.asp?ShowMeTheEmployee&KeyField=42&Type=A", 200, "employee"},
      {"/kx/emp.asp?ShowMeTheEmployee&KeyField=7&Type=A", 404, ""},
      {"/kx/emp.asp?ShowMeTheEmployee&KeyField=..&Type=A", 404, ""},
      {"/getblob.asp?tableid=EMP&column=PHOTO&where=ID=5", 200, "stored"},
      {"/getblob.asp?tableid=emp&column=photo&where=A=1%26B=2", 200, "escaped"},
      {"/getblob.asp?tableid=EMP&column=PHOTO&where=ID=6", 404, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    const auto answer = Get(c.target);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, c.status);
    if (c.status == 200) {
      EXPECT_EQ(answer->body, c.body);
    }
  }
}

TEST(SiteAuthTest, UsersFileDecidesWhoGetsIn) {
  TestSite site({.users = "# operators\nop:se:cret\nclerk:pw\n", .tls_host = ""});
  site.Put("ostrel/ostrel.ini", "[x]");
  httplib::Client client("127.0.0.1", site.Port());
  const auto anonymous = client.Get("/ostrel/ostrel.ini");
  EXPECT_EQ(anonymous->status, 401);
  EXPECT_EQ(anonymous->get_header_value("WWW-Authenticate"), "Basic realm=\"Lumbra site\"");
  client.set_basic_auth("op", "wrong");
  EXPECT_EQ(client.Get("/ostrel/ostrel.ini")->status, 401);
  client.set_basic_auth("op", "se:cret");
  EXPECT_EQ(client.Get("/ostrel/ostrel.ini")->body, "[x]");
  // The data-save probe's page exists under any folder.
  EXPECT_EQ(client.Get("/site/Blank.html")->status, 200);
  EXPECT_EQ(client.Get("/blank.html")->status, 200);
}

TEST_F(SiteTest, LogsOneJsonLinePerRequest) {
  site_.Put("kx/links/L.lnk", "12345");
  Get("/kx/links/L.lnk?x=1", "op", "pw");
  Get("/nothing");
  // Each line is written just after its answer, so two lines may come in either order.
  auto lines = site_.LogLines(2);
  ASSERT_EQ(lines.size(), 2u);
  std::sort(lines.begin(), lines.end());
  const auto found = nlohmann::json::parse(lines[1]);  // lines start with "bytes"
  EXPECT_EQ(found["method"], "GET");
  EXPECT_EQ(found["path"], "/kx/links/L.lnk");
  EXPECT_EQ(found["query"], "x=1");
  EXPECT_EQ(found["user"], "op");
  EXPECT_EQ(found["status"], 200);
  EXPECT_EQ(found["bytes"], 5);
  EXPECT_EQ(nlohmann::json::parse(lines[0])["status"], 404);
}

TEST_F(SiteTest, FaultRulesAreReadAgainForEveryRequest) {
  site_.Put("kx/cards/a.cdf", std::string(100, 'c'));
  site_.SetFaults({R"({"path": "/KX/cards/*", "status": 503})"});
  EXPECT_EQ(Get("/kx/cards/a.cdf")->status, 503);
  site_.SetFaults({R"({"path": "/other", "status": 503})"});
  EXPECT_EQ(Get("/kx/cards/a.cdf")->status, 200);
  site_.SetFaults({R"({"path": "/kx/cards/a.cdf", "method": "POST", "status": 503})"});
  EXPECT_EQ(Get("/kx/cards/a.cdf")->status, 200);
}

TEST_F(SiteTest, LoginPageFaultPlacesTheMarkerWhereAsked) {
  site_.SetFaults({R"({"path": "/ostrel/*", "login_page": true, "login_page_offset": 2042})"});
  const auto answer = Get("/ostrel/ostrel.ini");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 200);
  EXPECT_EQ(answer->body.find("/getblob.asp"), 2042u);
}

TEST_F(SiteTest, CutAndDroppedAnswersFailAtTheClient) {
  site_.Put("kx/cards/a.cdf", std::string(10000, 'c'));
  site_.SetFaults({R"({"path": "/kx/cards/a.cdf", "cut_after": 100})", R"({"path": "/drop", "drop": true})"});
  EXPECT_FALSE(Get("/kx/cards/a.cdf"));
  EXPECT_FALSE(Get("/drop"));
  auto lines = site_.LogLines(2);
  ASSERT_EQ(lines.size(), 2u);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(nlohmann::json::parse(lines[0])["bytes"], 0);  // dropped
  EXPECT_EQ(nlohmann::json::parse(lines[0])["status"], 0);
  EXPECT_EQ(nlohmann::json::parse(lines[1])["bytes"], 100);
}

TEST_F(SiteTest, BadFaultsFileIsNamedInTheAnswer) {
  site_.SetFaults({"# comment", R"({"path": "/x", "status": })"});
  const auto answer = Get("/x");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 500);
  EXPECT_NE(answer->body.find("faults:2"), std::string::npos) << answer->body;
}

}  // namespace
}  // namespace lumbra::testing
