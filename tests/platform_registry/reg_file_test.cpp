#include "platform/base/reg_file.h"

#include <gtest/gtest.h>

namespace lumbra {
namespace {

using namespace std::string_literals;

RegValue Raw(RegType type, std::string bytes) { return RegValue{type, std::move(bytes)}; }

void ExpectSameValue(const RegValue& expected, const RegValue& actual, const std::string& name) {
  EXPECT_EQ(expected.type, actual.type) << name;
  EXPECT_EQ(expected.bytes, actual.bytes) << name;
}

TEST(RegFile, EveryKindOfValueSurvivesARoundTrip) {
  RegFileKey key;
  key.path = "HKEY_LOCAL_MACHINE\\Software\\Korvel\\Jos\xE9";
  key.values = {
      {"", RegValue::Text("default")},
      {"Path", RegValue::Text("C:\\Cards\\")},
      {"Quote \"q\"", RegValue::Text("say \"hi\"")},
      {"Accents", RegValue::Text("Jos\xE9 \x80 \x9F")},
      {"Empty", RegValue::Text("")},
      {"Lines", RegValue::Text("one\r\ntwo")},
      {"NoTerminator", Raw(RegType::String, "abc")},
      {"Count", RegValue::Number(42)},
      {"Max", RegValue::Number(0xFFFFFFFF)},
      {"ShortDword", Raw(RegType::Dword, "\x01\x02")},
      {"Blob", Raw(RegType::Binary, std::string(100, '\xAB'))},
      {"NoBytes", Raw(RegType::Binary, "")},
      {"Multi", Raw(static_cast<RegType>(7), std::string("a\0b\0\0", 5))},
  };
  const std::string text = FormatRegText({key});
  const std::vector<RegFileKey> parsed = ParseRegText(text, "round.reg");
  ASSERT_EQ(parsed.size(), 1u);
  EXPECT_EQ(parsed[0].path, key.path);
  ASSERT_EQ(parsed[0].values.size(), key.values.size()) << text;
  for (std::size_t i = 0; i < key.values.size(); ++i) {
    EXPECT_EQ(parsed[0].values[i].name, key.values[i].name);
    ASSERT_TRUE(parsed[0].values[i].value);
    ExpectSameValue(*key.values[i].value, *parsed[0].values[i].value, key.values[i].name);
  }
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    EXPECT_LE(end - start, 80u) << "long line in\n" << text;
  }
}

TEST(RegFile, WritesTheEditorsExportFormatInUtf8) {
  RegFileKey key;
  key.path = "HKEY_CURRENT_USER\\Software\\Caf\xE9";
  key.values = {{"", RegValue::Text("x")},
                {"Name", RegValue::Text("C:\\a \"b\"")},
                {"Count", RegValue::Number(42)},
                {"Bin", Raw(RegType::Binary, "\x01\xFF")}};
  EXPECT_EQ(FormatRegText({key}),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Caf\xC3\xA9]\n"
            "@=\"x\"\n"
            "\"Name\"=\"C:\\\\a \\\"b\\\"\"\n"
            "\"Count\"=dword:0000002a\n"
            "\"Bin\"=hex:01,ff\n"
            "\n");
}

TEST(RegFile, ReadsHandWrittenAndEditorFiles) {
  const std::string text =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\A\\]\r\n"
      "  \"Long\"=hex:01,02,\\\r\n"
      "    03,04\r\n"
      "\"N\" = dword:2A\r\n"
      "\"Gone\"=-\r\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\B]\r\n";
  const auto keys = ParseRegText(text, "hand.reg");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_TRUE(keys[1].remove);
  EXPECT_EQ(keys[0].path, "HKEY_LOCAL_MACHINE\\Software\\A");
  ASSERT_EQ(keys[0].values.size(), 3u);
  ExpectSameValue(Raw(RegType::Binary, "\x01\x02\x03\x04"), *keys[0].values[0].value, "Long");
  EXPECT_EQ(keys[0].values[1].value->AsNumber(), 42u);
  EXPECT_FALSE(keys[0].values[2].value.has_value());

  const auto old = ParseRegText("REGEDIT4\n[-HKEY_USERS\\X]\n[HKEY_USERS\\Y]\n\"W\"=hex(2):41,00\n", "old.reg");
  ASSERT_EQ(old.size(), 2u);
  EXPECT_TRUE(old[0].remove);
  EXPECT_EQ(old[1].values[0].value->type, static_cast<RegType>(2));
  EXPECT_EQ(old[1].values[0].value->AsText(), "A");
}

TEST(RegFile, ReadsTheWindowsEditorsUtf16Files) {
  const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\Caf\u00e9]\r\n"
                              u"\"Sign\"=\"\u20ac \U0001F600\"\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  const auto keys = ParseRegText(bytes, "windows.reg");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].path, "HKEY_USERS\\Caf\xE9");
  EXPECT_EQ(keys[0].values[0].value->AsText(), "\x80 ?");  // the euro sign is in the code page, the face is not
}

TEST(RegFile, DamageIsReportedWithFileAndLine) {
  const std::string header = "Windows Registry Editor Version 5.00\n";
  struct Case {
    std::string text;
    std::string where;
  };
  const std::vector<Case> cases = {
      {"", "bad.reg: line 1:"},
      {"REGEDIT5\n", "bad.reg: line 1:"},
      {"\xFE\xFF\0W\0i"s, "bad.reg: line 1: the file is UTF-16 big-endian"},
      {"\xFF\xFEW\0i\0"s, "bad.reg: line 1: expected the header"},
      {header + "\"A\"=\"x\"\n", "bad.reg: line 2: a value before the first [key]"},
      {header + "[HKEY_USERS\\A\n", "bad.reg: line 2:"},
      {header + "[]\n", "bad.reg: line 2: empty key name"},
      {header + "[HKEY_USERS\\A]\n\"A\"=\"open\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\"A\"=\"C:\\Windows\"\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\"A\"=\"x\" junk\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\"A\"=dword:123456789\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\"A\"=dword:xyz\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\"A\"=hex:1,zz\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\"A\"=hex:01,\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\"A\"=hex(:01\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\n\"A\"=hex:01,\\\n", "bad.reg: line 4: hex data continues past the end"},
      {header + "[HKEY_USERS\\A]\n\"A\"=text\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\"A\"\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\n\"A\"=\"a\0b\"\n"s, "bad.reg: line 3: the line holds a zero byte"},
      {header + "[-HKEY_USERS\\A]\n\"A\"=\"x\"\n", "bad.reg: line 3:"},
      {header + "[HKEY_USERS\\A]\ngarbage\n", "bad.reg: line 3:"},
  };
  for (const Case& c : cases) {
    try {
      ParseRegText(c.text, "bad.reg");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const RegistryError& error) {
      EXPECT_NE(std::string(error.what()).find(c.where), std::string::npos)
          << "text: " << c.text << "\nmessage: " << error.what();
    }
  }
}

}  // namespace
}  // namespace lumbra
