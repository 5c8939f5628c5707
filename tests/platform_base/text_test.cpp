#include <gtest/gtest.h>

#include <string>

#include "platform/base/text.h"

namespace lumbra {
namespace {

struct AnsiUtf8Case {
  std::string ansi;
  std::string utf8;
};

TEST(Text, AnsiAndUtf8CorrespondByTheCodePageTable) {
  const AnsiUtf8Case cases[] = {
      {"plain", "plain"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"jos\xE9", "jos\xC3\xA9"},            // é
      {"\x80", "\xE2\x82\xAC"},              // €
      {"\x8A\x9A", "\xC5\xA0\xC5\xA1"},      // Š š
      {"\x96\x97", "\xE2\x80\x93\xE2\x80\x94"},  // en and em dash
      {"\x99", "\xE2\x84\xA2"},              // ™
      {"\x9F", "\xC5\xB8"},                  // Ÿ
      {"\xA0", "\xC2\xA0"},                  // no-break space
      {"\xFF", "\xC3\xBF"},                  // ÿ
      // The five bytes the code page leaves unassigned stand for their C1 code points.
      {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8FromAnsi(c.ansi), c.utf8) << c.ansi;
    EXPECT_EQ(AnsiFromUtf8(c.utf8), c.ansi) << c.utf8;
  }
}

TEST(Text, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  EXPECT_EQ(AnsiFromUtf8(Utf8FromAnsi(all)), all);
}

TEST(Text, CharactersOutsideTheCodePageAndMalformedUtf8BecomeQuestionMarks) {
  const AnsiUtf8Case cases[] = {
      {"??", "\xE6\x97\xA5\xE6\x9C\xAC"},   // two CJK characters
      {"a?b", "a\xF0\x9F\x98\x80" "b"},     // a character beyond the basic plane
      {"?", "\xC2\x80"},                    // a C1 code point the code page maps elsewhere
      {"?", "\x80"},                        // a lone continuation byte
      {"?A", "\xE2\x82" "A"},               // a sequence cut short
      {"?", "\xE2\x82"},                    // ... at the very end
      {"??", "\xC0\xAF"},                   // an overlong form
      {"???", "\xED\xA0\x80"},              // an encoded surrogate
      {"????", "\xF4\x90\x80\x80"},         // beyond U+10FFFF
      {"?x", "\xFFx"},                      // a byte UTF-8 never uses
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiFromUtf8(c.utf8), c.ansi) << c.utf8;
}

TEST(Text, UpperCasingFollowsTheCodePageLetters) {
  const AnsiUtf8Case cases[] = {
      // {input, upper-cased}, both Windows-1252
      {"jos\xE9", "JOS\xC9"},                        // josé -> JOSÉ
      {"abcxyz", "ABCXYZ"},
      {"\xE0\xE7\xF0\xF6\xF8\xFE", "\xC0\xC7\xD0\xD6\xD8\xDE"},  // à ç ð ö ø þ
      {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F"},      // š œ ž ÿ
      {"\xF7", "\xF7"},                              // ÷ is not a letter
      {"\xDF\xB5\xAA\xBA", "\xDF\xB5\xAA\xBA"},      // ß µ ª º have no single-byte capital
      {"C:\\kx\\a_1.cdf|;=[]", "C:\\KX\\A_1.CDF|;=[]"},  // separators and digits stay
      {"ABC\xC9\x8A", "ABC\xC9\x8A"},                // capitals stay
  };
  for (const auto& c : cases) EXPECT_EQ(UpperAnsi(c.ansi), c.utf8) << c.ansi;
}

TEST(Text, EqualsNoCaseUsesTheSameMapping) {
  EXPECT_TRUE(EqualsNoCase("Ostrel.INI", "ostrel.ini"));
  EXPECT_TRUE(EqualsNoCase("jos\xE9", "JOS\xC9"));
  EXPECT_TRUE(EqualsNoCase("\xFF", "\x9F"));
  EXPECT_TRUE(EqualsNoCase("", ""));
  EXPECT_FALSE(EqualsNoCase("\xF7", "\xD7"));  // ÷ and × differ
  EXPECT_FALSE(EqualsNoCase("kx.ini", "kx.ini "));
  EXPECT_FALSE(EqualsNoCase("kxx.ini", "kx.ini"));
}

}  // namespace
}  // namespace lumbra
