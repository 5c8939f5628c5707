// The reference site's data-save pages, against the data-save object itself.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "data_save_fixture.h"
#include "datasave/block_layout.h"
#include "site/datasave_pages.h"
#include "site/site_server.h"

namespace lumbra::testing {
namespace {

namespace fs = std::filesystem;
using site::SplitSendDataBody;

std::string Block(std::uint64_t size, const std::string& field, const std::string& bytes) {
  return BuildBlockHeader(size, "T", field, "ID=1", "text") + bytes;
}

TEST(SplitSendDataBody, FindsEachFilesBytes) {
  const std::string binary("\xFE\x00\xFE" "FZ=9", 7);  // a file may hold the block mark
  struct Case {
    const char* name;
    std::string body;
    std::string form;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {"form only", "X<&KVBinarySepLittle>Y<&KVBinarySepBig>Z", "X\xFEY\xDEZ", {}},
      {"sizes as sent", "F" + Block(7, "A", binary) + Block(3, "B", "abc"), "F", {binary, "abc"}},
      {"grown after selection", Block(2, "A", "12345") + Block(3, "B", "abc"), "", {"12345", "abc"}},
      {"shrunk after selection", Block(9, "A", "12") + Block(1, "B", "z"), "", {"12", "z"}},
      {"no size, last", "F" + Block(0, "A", "tail"), "F", {"tail"}},
      {"empty file", Block(0, "A", "") + Block(1, "B", "z"), "", {"", "z"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const site::SplitBody split = SplitSendDataBody(c.body);
    EXPECT_EQ(split.form_text, c.form);
    ASSERT_EQ(split.blocks.size(), c.files.size());
    for (std::size_t i = 0; i < c.files.size(); ++i) {
      EXPECT_EQ(c.body.substr(split.blocks[i].offset, split.blocks[i].length), c.files[i]);
      EXPECT_EQ(split.blocks[i].fields.table_id, "T");
      EXPECT_EQ(split.blocks[i].fields.text_stream, "text");
    }
  }
  EXPECT_THROW(SplitSendDataBody("F\xFE" "garbage"), std::runtime_error);
}

class ReceiverTest : public DataSaveTest {
 protected:
  ReceiverTest() {
    fs::create_directories(site_root_);
    site_config_.root = site_root_;
    site_config_.log_file = root_.root / "requests.log";
    site_config_.faults_file = root_.root / "faults.jsonl";
    server_.emplace(site_config_);
    data_save_.properties.port = std::to_string(server_->Port());
    data_save_.properties.dll_version = "/lumbra/SendData.asp";
  }
  ~ReceiverTest() override { server_.reset(); }

  fs::path Stored(const std::string& request) const { return site_root_ / "datasave" / "received" / request; }

  fs::path site_root_ = root_.root / "site";
  site::SiteConfig site_config_;
  std::optional<site::SiteServer> server_;
};

TEST_F(ReceiverTest, StoresTheFormAndEveryFileAsSent) {
  std::string photo(300 * 1024, '\0');
  for (std::size_t i = 0; i < photo.size(); ++i) photo[i] = static_cast<char>(i * 7 % 251);
  const std::string photo_path = Write("photo.jpg", photo);
  const std::string sig_path = Write("sig.png", "\xFE\xDE signature");
  data_save_.SelectBlob("PHOTO", "EMP", "front", "", photo_path, "ID=5");
  data_save_.SelectBlob("SIGNATURE", "EMP", "", "", sig_path, "ID=5");
  data_save_.properties.field_info_list = "NAME=Jos\xE9\xFE" "ID=5";
  EXPECT_EQ(data_save_.SendData(), "SUCCESS");

  EXPECT_EQ(Read(Stored("0001/form.txt")), "NAME=Jos\xE9\xFE" "ID=5");
  EXPECT_EQ(Read(Stored("0001/block-1.bin")), photo);
  EXPECT_EQ(Read(Stored("0001/block-2.bin")), "\xFE\xDE signature");
  const auto summary = nlohmann::json::parse(Read(Stored("0001/request.json")));
  EXPECT_EQ(summary["blocks"][0]["field_name"], "PHOTO");
  EXPECT_EQ(summary["blocks"][0]["declared_size"], photo.size());
  EXPECT_EQ(summary["blocks"][1]["where_clause"], "ID=5");
  EXPECT_FALSE(fs::exists(Stored("0001/body.part")));
  const std::string log = Read((root_.root / "requests.log").string());
  EXPECT_NE(log.find("\"/lumbra/SendData.asp\""), std::string::npos);
}

TEST_F(ReceiverTest, AConfiguredFailureTextIsAnsweredAndShown) {
  fs::create_directories(site_root_ / "datasave");
  std::ofstream(site_root_ / "datasave" / "answer.txt") << "Record locked\n";
  data_save_.properties.field_info_list = "ID=5";
  EXPECT_EQ(data_save_.SendData(), "");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Record locked"});
}

// A body that fails half-way, as one whose file changes while it is sent.
class FailingBody final : public BodySource {
 public:
  std::uint64_t Size() const override { return 100000; }
  std::optional<std::size_t> Read(std::span<char> buffer) override {
    if (sent_ >= 50000) return std::nullopt;
    const std::size_t count = std::min<std::size_t>(buffer.size(), 50000 - sent_);
    std::fill_n(buffer.data(), count, 'x');
    sent_ += count;
    return count;
  }
  bool Rewind() override {
    sent_ = 0;
    return true;
  }

 private:
  std::size_t sent_ = 0;
};

TEST_F(ReceiverTest, ABodyCutShortLeavesNothingStored) {
  FailingBody body;
  HttpRequest request;
  request.method = HttpMethod::Post;
  request.server = ServerAddress::FromProperties("127.0.0.1", data_save_.properties.port);
  request.path = "/SendData.asp";
  request.body = &body;
  const HttpResponse response = HttpClient(HttpSettings{}).Send(request, {}, {});
  EXPECT_TRUE(response.error);
  // The site logs the request once its page is done with it.
  const std::string log_file = (root_.root / "requests.log").string();
  for (int i = 0; i < 250 && Read(log_file).find("SendData.asp") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_NE(Read(log_file).find("SendData.asp"), std::string::npos);
  EXPECT_FALSE(fs::exists(Stored("0001")));
}

TEST_F(ReceiverTest, GetBioKeepsNoPartialFile) {
  std::ofstream(site_root_ / "bio.jpg", std::ios::binary) << std::string(5000, 'p');
  std::ofstream(root_.root / "faults.jsonl") << R"({"path": "/bio.jpg", "cut_after": 100})" << "\n";
  const std::string target = (root_.root / "bio.jpg").string();
  data_save_.GetBio("/bio.jpg", target);
  EXPECT_FALSE(fs::exists(target));
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_NE(Messages()[1].find("Unable to connect to 127.0.0.1 server"), std::string::npos);

  std::ofstream(root_.root / "faults.jsonl", std::ios::trunc);
  ui_.ClearJournal();
  data_save_.GetBio("/bio.jpg", target);
  EXPECT_EQ(Read(target), std::string(5000, 'p'));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ReceiverTest, ADroppedConnectionIsToldAndSavesNothing) {
  std::ofstream(root_.root / "faults.jsonl") << R"({"path": "*SendData.asp", "drop": true})" << "\n";
  data_save_.properties.field_info_list = "ID=5";
  EXPECT_EQ(data_save_.SendData(), "");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(data_save_.properties.field_info_list, "ID=5");
}

TEST_F(ReceiverTest, GetDataAnswersThePostedForm) {
  EXPECT_EQ(data_save_.GetData("/lumbra/getdata.asp?name=Jos%E9+M&id=5"), "name=Jos\xE9 M\r\nid=5\r\n");
}

}  // namespace
}  // namespace lumbra::testing
