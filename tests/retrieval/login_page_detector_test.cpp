#include <gtest/gtest.h>

#include "retrieval/login_page_detector.h"

namespace lumbra {
namespace {

TEST(LoginPageDetectorTest, ChunkSplits) {
  using namespace std::string_literals;
  struct Case {
    std::vector<std::string> chunks;
    bool found;
  };
  const Case cases[] = {
      {{"<a href=\"/getblob.asp\">"}, true},
      {{"<a href=\"/getb", "lob.asp\">"}, true},
      {{"/", "getblob", ".asp"}, true},
      {{"x\0/getblob.asp"s}, false},           // text ends at the first zero byte
      {{"/getb\0"s, "lob.asp"}, false},        // and does not run on into the next chunk
      {{"\0x"s, "/getblob.asp"}, true},        // a new chunk is new text
      {{"/GETBLOB.ASP"}, false},
  };
  for (const auto& c : cases) {
    LoginPageDetector detector;
    for (const auto& chunk : c.chunks) detector.Feed(chunk);
    EXPECT_EQ(detector.Found(), c.found) << ::testing::PrintToString(c.chunks);
  }
}

}  // namespace
}  // namespace lumbra
