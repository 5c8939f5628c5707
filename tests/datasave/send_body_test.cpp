#include "datasave/send_body.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "datasave/block_layout.h"

namespace lumbra {
namespace {

namespace fs = std::filesystem;

class SendBodyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quorra-body-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  // The whole body, read in small pieces so that reads cross segment borders.
  static std::string ReadAll(SendBody& body) {
    std::string all;
    char buffer[7];
    while (auto count = body.Read(buffer)) {
      if (*count == 0) break;
      all.append(buffer, *count);
    }
    return all;
  }

  fs::path dir_;
  FileSystem files_{fs::temp_directory_path()};
  std::vector<std::string> unreadable_;
  SendBody::UnreadableFile note_ = [this](const std::string& path, int) { unreadable_.push_back(path); };
};

TEST(BlockLayout, FormTextMarkersMakeTheFortyByteBody) {
  const std::string escaped = EscapeFormText("X\xFEY\xDEZ");
  EXPECT_EQ(escaped, "X<&KVBinarySepLittle>Y<&KVBinarySepBig>Z");
  EXPECT_EQ(escaped.size(), 40u);
  EXPECT_EQ(UnescapeFormText(escaped), "X\xFEY\xDEZ");
}

TEST(BlockLayout, HeadersAndTheirParse) {
  struct Case {
    std::uint64_t size;
    std::string expected;
  };
  const Case cases[] = {
      {3, "\xFE" "FZ=3\xA9\x2D\xAETableID=T1\xA9\x2D\xAEPFN=PHOTO\xA9\x2D\xAEWhereClause=ID=5\xA9\x2D\xAEx\xFE"},
      {0, "\xFE" "FZ=\xA9\x2D\xAETableID=T1\xA9\x2D\xAEPFN=PHOTO\xA9\x2D\xAEWhereClause=ID=5\xA9\x2D\xAEx\xFE"},
  };
  for (const Case& c : cases) {
    const std::string header = BuildBlockHeader(c.size, "T1", "PHOTO", "ID=5", "x");
    EXPECT_EQ(header, c.expected);
    const auto parsed = ParseBlockHeader(header + "rest", 0);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->length, header.size());
    EXPECT_EQ(parsed->fields.size, c.size ? std::optional<std::uint64_t>(c.size) : std::nullopt);
    EXPECT_EQ(parsed->fields.where_clause, "ID=5");
    EXPECT_EQ(parsed->fields.text_stream, "x");
  }
  EXPECT_FALSE(ParseBlockHeader("\xFE" "FZ=12\xFEjunk", 0));
  EXPECT_FALSE(ParseBlockHeader("\xFE" "FZ=1x\xA9\x2D\xAE", 0));
}

TEST_F(SendBodyTest, FormTextThenEachHeaderAndTheFileBytesAsTheyAreNow) {
  const std::string small = Write("a.jpg", "abc");
  const std::string empty = Write("b.jpg", "");
  const std::string grown = Write("c.jpg", "12");
  const SelectionTable selection = {
      {small, BuildBlockHeader(3, "T1", "PHOTO", "ID=5", "x")},
      {empty, BuildBlockHeader(0, "T1", "SIG", "ID=5", "")},
      {grown, BuildBlockHeader(2, "T2", "P", "", "")},
  };
  Write("c.jpg", "12345");  // grew after selection: the old size stays in the header
  SendBody body("F", selection, files_, note_);
  const std::string expected = "F" + selection.at(small) + "abc" + selection.at(empty) +
                               selection.at(grown) + "12345";
  EXPECT_EQ(body.Size(), expected.size());
  EXPECT_EQ(ReadAll(body), expected);
  EXPECT_TRUE(unreadable_.empty());
}

TEST_F(SendBodyTest, FilesOnlyStartWithTheBlockMark) {
  const std::string file = Write("a.jpg", std::string("\xFE\xDE\x00z", 4));
  const SelectionTable selection = {{file, BuildBlockHeader(4, "T", "F", "W", "t")}};
  SendBody body("", selection, files_, note_);
  const std::string all = ReadAll(body);
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all[0], '\xFE');
  EXPECT_EQ(all, selection.at(file) + std::string("\xFE\xDE\x00z", 4));
}

TEST_F(SendBodyTest, AnUnreadableFileIsReportedAndSendsItsHeaderAlone) {
  const std::string missing = (dir_ / "gone.jpg").string();
  const std::string folder = (dir_ / "folder").string();
  fs::create_directory(folder);
  const SelectionTable selection = {{missing, BuildBlockHeader(0, "T", "F", "W", "")},
                                    {folder, BuildBlockHeader(0, "T", "G", "W", "")}};
  SendBody body("F", selection, files_, note_);
  EXPECT_EQ(ReadAll(body), "F" + selection.at(folder) + selection.at(missing));
  EXPECT_EQ(unreadable_, (std::vector<std::string>{folder, missing}));
}

TEST_F(SendBodyTest, AFileThatChangesWhileSendingFailsBeforeItsLastByte) {
  struct Case {
    const char* name;
    std::string replacement;
  };
  const Case cases[] = {{"grows", std::string(20, 'b')}, {"shrinks", "b"}, {"same size", std::string(10, 'b')}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Write("photo.jpg", std::string(10, 'a'));
    SendBody body("", {{file, "H"}}, files_, note_);
    ASSERT_EQ(body.Size(), 11u);
    char buffer[4];
    ASSERT_EQ(body.Read(std::span(buffer, 4)), 1u);  // the header
    ASSERT_EQ(body.Read(std::span(buffer, 4)), 4u);  // the file's first bytes
    // A change within the same clock tick must still be seen: move the time on.
    Write("photo.jpg", c.replacement);
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(1));
    std::size_t sent = 5;
    std::optional<std::size_t> count;
    while ((count = body.Read(buffer)) && *count > 0) sent += *count;
    EXPECT_FALSE(count);
    EXPECT_LT(sent, body.Size());
    EXPECT_NE(body.ErrorText().find(file), std::string::npos);
    EXPECT_NE(body.ErrorText().find("Nothing was saved"), std::string::npos);
  }
}

}  // namespace
}  // namespace lumbra
