#include <gtest/gtest.h>

#include "data_save_fixture.h"
#include "datasave/block_layout.h"

namespace lumbra::testing {
namespace {

const std::string kSep = "\xA9\x2D\xAE";

using SendDataTest = DataSaveTest;

TEST_F(SendDataTest, FormTextGoesOutWithItsMarkersAndTakesTheAnswer) {
  data_save_.properties.dll_version = "/save.asp";
  data_save_.properties.field_info_list = "X\xFEY\xDEZ";
  site_.answer = [](const SeenRequest&) { return Answer{200, "SUCCESS id=7"}; };
  EXPECT_EQ(data_save_.SendData(), "SUCCESS id=7");
  const auto posts = site_.Requests();
  ASSERT_EQ(posts.size(), 2u);  // the login probe, then the post
  EXPECT_EQ(posts[0].path, "/Blank.html");
  EXPECT_EQ(posts[1].method, "POST");
  EXPECT_EQ(posts[1].path, "/save.asp");
  EXPECT_EQ(posts[1].body, "X<&KVBinarySepLittle>Y<&KVBinarySepBig>Z");
  EXPECT_EQ(posts[1].body.size(), 40u);
  EXPECT_EQ(posts[1].content_type, "");
  EXPECT_EQ(data_save_.properties.field_info_list, "SUCCESS id=7");
}

TEST_F(SendDataTest, FileBlocksOnTheWire) {
  const std::string photo = Write("photo.jpg", "abc");
  const std::string empty = Write("empty.jpg", "");
  const std::string grown = Write("grown.jpg", "12");
  data_save_.SelectBlob("PHOTO", "T1", "x", "unused", photo, "ID=5");
  data_save_.SelectBlob("SIG", "T1", "", "unused", empty, "ID=5");
  data_save_.SelectBlob("P2", "T2", "t", "unused", grown, "ID=6");
  Write("grown.jpg", "12345");
  data_save_.properties.dll_version = "/save.asp";
  ASSERT_EQ(data_save_.SendData(), "SUCCESS");

  const std::string photo_block = "\xFE" "FZ=3" + kSep + "TableID=T1" + kSep + "PFN=PHOTO" + kSep +
                                  "WhereClause=ID=5" + kSep + "x\xFE" "abc";
  const std::string empty_block = "\xFE" "FZ=" + kSep + "TableID=T1" + kSep + "PFN=SIG" + kSep +
                                  "WhereClause=ID=5" + kSep + "\xFE";
  const std::string grown_block = "\xFE" "FZ=2" + kSep + "TableID=T2" + kSep + "PFN=P2" + kSep +
                                  "WhereClause=ID=6" + kSep + "t\xFE" "12345";
  // Files only: the body starts with the first block's mark. Blocks go in path order.
  EXPECT_EQ(site_.Requests().back().body, empty_block + grown_block + photo_block);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SendDataTest, AnUnreadableFileIsReportedAndItsHeaderGoesAlone) {
  const std::string missing = (root_.root / "gone.jpg").string();
  data_save_.SelectBlob("PHOTO", "T", "", "", missing, "W");
  data_save_.properties.field_info_list = "F";
  data_save_.properties.dll_version = "/save.asp";
  EXPECT_EQ(data_save_.SendData(), "SUCCESS");
  EXPECT_EQ(site_.Requests().back().body,
            "F\xFE" "FZ=" + kSep + "TableID=T" + kSep + "PFN=PHOTO" + kSep + "WhereClause=W" + kSep + "\xFE");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], missing + ": The system cannot find the file specified.");
}

TEST_F(SendDataTest, AnswerCases) {
  const std::string long_answer = "SUCCESS" + std::string(3000, '.') + "end";
  struct Case {
    const char* name;
    Answer answer;
    std::string result;
    std::string field_info_list;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"without SUCCESS", {200, "OK"}, "", "", {"OK"}},
      // Longer than one read: the whole answer decides and is kept.
      {"long answer", {200, long_answer}, long_answer, long_answer, {}},
      {"status", {500, "broken"}, "HTTP: ERROR 500", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.ClearJournal();
    data_save_.properties.field_info_list = "form";
    data_save_.properties.dll_version = "/save.asp";
    site_.answer = [&](const SeenRequest& seen) {
      return seen.path == "/save.asp" ? c.answer : Answer{200, ""};
    };
    EXPECT_EQ(data_save_.SendData(), c.result);
    EXPECT_EQ(data_save_.properties.field_info_list, c.field_info_list);
    EXPECT_EQ(Messages(), c.messages);
  }
}

TEST_F(SendDataTest, NothingToSendContactsNobody) {
  EXPECT_EQ(data_save_.SendData(), "");
  EXPECT_TRUE(site_.Requests().empty());
}

TEST_F(SendDataTest, LoginOutcomes) {
  site_.user = "op";
  site_.password = "pw";
  data_save_.properties.field_info_list = "form";
  data_save_.properties.dll_version = "/save.asp";

  ui_.Queue("cancel");
  EXPECT_EQ(data_save_.SendData(), "");
  for (int i = 0; i < 3; ++i) ui_.Queue("login op wrong");
  EXPECT_EQ(data_save_.SendData(), "HTTP: ERROR 401");
  EXPECT_EQ(site_.Admitted().size(), 0u);

  ui_.Queue("login op pw");
  EXPECT_EQ(data_save_.SendData(), "SUCCESS");
  EXPECT_EQ(site_.Admitted().back().path, "/save.asp");
}

TEST_F(SendDataTest, AServerThatCannotBeReachedIsToldAndNothingIsTaken) {
  data_save_.properties.port = "1";  // nothing listens there
  data_save_.properties.field_info_list = "form";
  data_save_.properties.dll_version = "/save.asp";
  // The login probe reports the failure and lets the send go on; the send reports it too.
  EXPECT_EQ(data_save_.SendData(), "");
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_NE(messages[1].find("Unable to connect to 127.0.0.1 server"), std::string::npos);
  EXPECT_EQ(messages[1].rfind("12029 1 ", 0), 0u);
  EXPECT_EQ(data_save_.properties.field_info_list, "form");
}

}  // namespace
}  // namespace lumbra::testing
