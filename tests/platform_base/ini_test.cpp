#include <gtest/gtest.h>

#include <string>

#include "platform/base/files.h"
#include "platform/base/ini.h"
#include "platform/base/root.h"
#include "temp_root.h"

namespace lumbra {
namespace {

using namespace std::string_literals;

constexpr const char* kSiteIni =
    "; written by the site\n"
    "[Links]\n"
    "Employee = emp.lnk  \n"
    "   visitor\t=\tvis.lnk\n"
    ";Contractor=con.lnk\n"
    "Quoted = \"  spaced  \"\n"
    "Single='x'\n"
    "Half=\"open\n"
    "Empty =\n"
    "NoEquals\n"
    "Path=C:\\KX\\cards\\a=b.cdf\n"
    "[ Numbers ]\n"
    "Plain=42\n"
    "Negative = -17\n"
    "Plus=+8\n"
    "Trailing=12abc\n"
    "Text=abc\n"
    "Sign=-\n"
    "Huge=99999999999\n"
    "Tiny=-99999999999\n"
    "Blank=\n"
    "[links]\n"
    "Employee=second.lnk\n"
    "Late=late.lnk";

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override { root_.Write("system/Ostrel.ini", kSiteIni); }

  std::string Read(std::string_view section, std::string_view key, std::string_view file = "ostrel.ini",
                   std::string_view fallback = "dflt", std::size_t size = 256) const {
    return ini_.ReadString(section, key, fallback, size, file);
  }

  testing::TempRoot root_;
  FileSystem files_{root_.Path()};
  IniReader ini_{files_, RootLayout{root_.Path()}.SystemFolder()};
};

TEST_F(IniTest, ReadsValuesBySectionAndKeyWithoutRegardToCase) {
  const struct {
    std::string section, key, expected;
  } cases[] = {
      {"Links", "Employee", "emp.lnk"},
      {"LINKS", "employee", "emp.lnk"},     // names without regard to case, blanks trimmed
      {"links", "VISITOR", "vis.lnk"},      // indented key, tabs around "="
      {"Links", "Contractor", "dflt"},      // commented out
      {"Links", "Quoted", "  spaced  "},    // quotes are dropped, the blanks inside kept
      {"Links", "Single", "x"},
      {"Links", "Half", "\"open"},          // an unmatched quote stays
      {"Links", "Empty", ""},               // present but empty: not the default
      {"Links", "NoEquals", "dflt"},
      {"Links", "Path", "C:\\KX\\cards\\a=b.cdf"},  // the first "=" separates
      {"Links", "Late", "late.lnk"},        // a section may come back later
      {"Numbers", "Plain", "42"},           // blanks inside the brackets do not count
      {"Links", "Missing", "dflt"},
      {"Nowhere", "Employee", "dflt"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST_F(IniTest, MissingOrUnreadableFilesGiveTheDefault) {
  root_.Write("system/sub/x.ini", "[A]\nB=1\n");
  EXPECT_EQ(Read("Links", "Employee", "none.ini"), "dflt");
  EXPECT_EQ(Read("Links", "Employee", ""), "dflt");
  EXPECT_EQ(Read("Links", "Employee", "sub"), "dflt");  // a folder
  EXPECT_EQ(Read("A", "B", "sub\\x.ini"), "1");         // relative names start in the system folder
}

TEST_F(IniTest, FullPathsAndBareNamesBothResolve) {
  root_.Write("drive_c/KX/cards/Card.cdf", "[Fields]\nName=NAME\n");
  EXPECT_EQ(Read("Fields", "Name", "C:\\kx\\CARDS\\card.cdf"), "NAME");
  EXPECT_EQ(Read("Fields", "Name", (root_.Path() / "drive_c/KX/cards").string() + "\\CARD.CDF"), "NAME");
  EXPECT_EQ(Read("Links", "Employee", "OSTREL.INI"), "emp.lnk");
}

TEST_F(IniTest, TheValueIsCutToTheBufferSizeLessOne) {
  const struct {
    std::string key;
    std::string fallback;
    std::size_t size;
    std::string expected;
  } cases[] = {
      {"Employee", "", 256, "emp.lnk"},
      {"Employee", "", 8, "emp.lnk"},
      {"Employee", "", 7, "emp.ln"},
      {"Employee", "", 1, ""},
      {"Employee", "", 0, ""},
      {"Missing", "default", 4, "def"},       // the default is cut as well
      {"Missing", "spaced   ", 256, "spaced"},  // and loses its trailing blanks
      {"Missing", "  lead", 256, "  lead"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read("Links", c.key, "ostrel.ini", c.fallback, c.size), c.expected) << c.key << " " << c.size;
  }
}

TEST_F(IniTest, IntegersComeFromTheLeadingDigits) {
  const struct {
    std::string key;
    int expected;
  } cases[] = {
      {"Plain", 42},       {"Negative", -17},        {"Plus", 8},
      {"Trailing", 12},    {"Text", 0},              {"Sign", 0},
      {"Blank", 5},        {"Missing", 5},           {"Huge", 2147483647},
      {"Tiny", -2147483647 - 1},
  };
  for (const auto& c : cases) EXPECT_EQ(ini_.ReadInt("numbers", c.key, 5, "ostrel.ini"), c.expected) << c.key;
  EXPECT_EQ(ini_.ReadInt("Numbers", "Plain", 5, "none.ini"), 5);
}

TEST_F(IniTest, AnyFileReadsSafely) {
  const std::string long_value(3 << 20, 'v');
  const struct {
    std::string name;
    std::string content;
    std::string expected;  // of [S] K
  } cases[] = {
      {"empty", "", "dflt"},
      {"crlf", "[S]\r\nK=crlf\r\nL=x\r\n", "crlf"},
      {"lone cr", "[S]\rK=cr\r", "cr"},
      {"no final break", "[S]\nK=last", "last"},
      {"utf-8 mark", "\xEF\xBB\xBF[S]\nK=marked\n", "marked"},
      {"junk", "\x00\xFF\x01[\x80]=\n\xFE\xFF\x00=\x00\n[S]\nK=after junk\n"s, "after junk"},
      {"zero byte in value", "[S]\nK=ab\0cd\n"s, "ab"},
      {"unclosed section", "[S\nK=open\n", "open"},
      {"long line first", "[S]\nX=" + long_value + "\nK=after long\n", "after long"},
      {"only brackets", "[\n]\n[]\n=\n==\n", "dflt"},
  };
  for (const auto& c : cases) {
    root_.Write("system/case.ini", c.content);
    EXPECT_EQ(Read("S", "K", "case.ini"), c.expected) << c.name;
  }
  root_.Write("system/case.ini", "[S]\nK=" + long_value + "\n");
  EXPECT_EQ(Read("S", "K", "case.ini", "", 100), long_value.substr(0, 99));
}

}  // namespace
}  // namespace lumbra
