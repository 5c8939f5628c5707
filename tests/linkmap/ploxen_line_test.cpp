#include "linkmap/ploxen_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumbra {
namespace {

struct LineCase {
  std::string line;
  std::vector<std::string> bitmaps;
};

TEST(PloxenLine, EveryCompleteEntryAddsItsThirdItemAndABrokenOneEndsTheLine) {
  const std::vector<LineCase> cases = {
      {"a~b~c.bmp~d|", {"c.bmp"}},
      {"a~b~c.bmp~d|e~f~g.bmp~h|", {"c.bmp", "g.bmp"}},
      {"a~b~c.bmp~d~e|", {"c.bmp"}},
      {"a~b~c.bmp~d| trailing text", {"c.bmp"}},
      {"a~b~c.bmp|e~f~g.bmp~h|", {}},          // only two "~" before its "|"
      {"a~b~c.bmp~d", {}},                     // no closing "|"
      {"a~b~c.bmp~d|x|e~f~g.bmp~h|", {"c.bmp"}},
      {"|a~b~c.bmp~d|", {}},
      {"a|b|c|", {}},                          // no "~": no entries at all
      {"", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> bitmaps = {"kept.bmp"};
    AppendPloxenBitmaps(c.line, bitmaps);
    std::vector<std::string> expected = {"kept.bmp"};
    expected.insert(expected.end(), c.bitmaps.begin(), c.bitmaps.end());
    EXPECT_EQ(bitmaps, expected) << c.line;
  }
}

}  // namespace
}  // namespace lumbra
