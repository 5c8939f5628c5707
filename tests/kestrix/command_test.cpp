#include "command.h"

#include <gtest/gtest.h>

namespace lumbra::kestrix {
namespace {

TEST(KestrixCommand, ParsesTheCommandsAsTheControlsSendThem) {
  struct Case {
    std::string text;
    std::string name;
    std::vector<std::string> args;
  };
  for (const Case& c : {Case{"[STARTCARD(BADGE)]", "STARTCARD", {"BADGE"}},
                        Case{"[HIDEPREVIEW(TRUE)] ", "HIDEPREVIEW", {"TRUE"}},
                        Case{"[SHOWPREVIEW(10,20,TRUE)]", "SHOWPREVIEW", {"10", "20", "TRUE"}},
                        Case{"[DOCAPTURE(\"EMPLOYEEPHOTO\")]", "DOCAPTURE", {"EMPLOYEEPHOTO"}},
                        Case{"[destroykx]", "DESTROYKX", {}}}) {
    auto command = ParseCommand(c.text);
    ASSERT_TRUE(command) << c.text;
    EXPECT_EQ(command->name, c.name);
    EXPECT_EQ(command->args, c.args) << c.text;
  }
  for (const char* bad : {"", "STARTCARD(A)", "[]", "[STARTCARD(A]"}) EXPECT_FALSE(ParseCommand(bad)) << bad;
}

TEST(KestrixCommand, FieldValuesKeepCommasQuotesAndApostrophes) {
  struct Case {
    std::string raw;
    std::string name;
    std::string value;
  };
  for (const Case& c : {Case{"\"NAME\",\"O''BRIEN, ANN\"", "NAME", "O''BRIEN, ANN"},
                        Case{"NAME,\"SAY \"HI\", BOB\"", "NAME", "SAY \"HI\", BOB"},
                        Case{"PHOTO,\"C:\\KX\\NEWPHOTO.JPG\"", "PHOTO", "C:\\KX\\NEWPHOTO.JPG"},
                        Case{"NAME,\"\"", "NAME", ""}}) {
    auto [name, value] = FieldArguments(c.raw);
    EXPECT_EQ(name, c.name) << c.raw;
    EXPECT_EQ(value, c.value) << c.raw;
  }
}

}  // namespace
}  // namespace lumbra::kestrix
