#include "printctl/field_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumbra {
namespace {

// Separators spelled out, so the cases read like the page's text.
const std::string P(kPairSeparator);
const std::string G(kGroupSeparator);
const std::string R(kRecordSeparator);
const std::string B(1, kSingleRecordSeparator);
const std::string F(1, kSinglePairSeparator);

struct SplitCase {
  std::string text;
  std::string separator;
  bool found;
  std::string head;
  std::string rest;
};

TEST(SplitAt, CutsAtTheFirstSeparatorOnly) {
  const std::vector<SplitCase> cases = {
      {"a=b=c", "=", true, "a", "b=c"},
      {"=x", "=", true, "", "x"},
      {"x=", "=", true, "x", ""},
      {"abc", "=", false, "abc", ""},
      {"", "=", false, "", ""},
      {"a" + R + "b" + R, R, true, "a", "b" + R},
      // A separator that is only partly present is not found.
      {"a\xA9-b", P, false, "a\xA9-b", ""},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    std::string head = "old";
    EXPECT_EQ(SplitAt(text, head, c.separator), c.found) << c.text;
    EXPECT_EQ(head, c.head) << c.text;
    EXPECT_EQ(text, c.rest) << c.text;
  }
}

TEST(SplitAt, EmptySeparatorChangesNothing) {
  std::string text = "abc";
  std::string head = "old";
  EXPECT_FALSE(SplitAt(text, head, ""));
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(head, "old");
}

TEST(IsBatchForm, NeedsThePairSeparatorItself) {
  EXPECT_TRUE(IsBatchForm("A=1" + P + "B=2"));
  EXPECT_TRUE(IsBatchForm("x" + P));
  EXPECT_FALSE(IsBatchForm("A=1" + G + "TABLEID=1"));  // the group separator's bytes in another order
  EXPECT_FALSE(IsBatchForm("A=1" + F + "B=2" + B));
  EXPECT_FALSE(IsBatchForm(""));
}

struct CutCase {
  std::string list;
  std::vector<std::string> records;
};

TEST(CutBatchList, RecordsInOrderWithEmptyOnesCounted) {
  const std::vector<CutCase> cases = {
      {"A=1", {"A=1"}},
      {"A=1" + R, {"A=1"}},
      {"A=1" + R + "B=2", {"A=1", "B=2"}},
      {"A=1" + R + R + "B=2" + R, {"A=1", "", "B=2"}},
      {R + "A=1", {"", "A=1"}},
      // A separator split by the page's text is no separator.
      {"A=<&KVPrint" + R, {"A=<&KVPrint"}},
  };
  for (const auto& c : cases) {
    std::string list = c.list;
    EXPECT_EQ(CutBatchList(list), c.records) << c.list;
    EXPECT_TRUE(list.ends_with(R)) << "the list is left ending with the record separator";
  }
}

TEST(CutBatchList, AppendsTheSeparatorOnlyWhenMissing) {
  std::string list = "A=1" + R;
  CutBatchList(list);
  EXPECT_EQ(list, "A=1" + R);
  list = "A=1";
  CutBatchList(list);
  EXPECT_EQ(list, "A=1" + R);
}

TEST(ParseBatchRecord, FieldGroupNamesUpperCasedValuesKept) {
  const PrintRecord record =
      ParseBatchRecord("first=Ann" + P + "Note=a=b=c" + P + "EMPTY=" + P + "first=Eve" + P + "\xE9t\xE9=x");
  const FieldMap expected = {{"FIRST", "Eve"}, {"NOTE", "a=b=c"}, {"EMPTY", ""}, {"\xC9T\xC9", "x"}};
  EXPECT_EQ(record.fields, expected);
}

TEST(ParseBatchRecord, PairsWithoutEqualsAreIgnored) {
  // Adjacent pair separators, a group ending with one, a bare word.
  const PrintRecord record =
      ParseBatchRecord("A=1" + P + P + "WORD" + P + "B=2" + P + G + "TABLEID=7" + P + P + "junk" + P);
  EXPECT_EQ(record.fields, (FieldMap{{"A", "1"}, {"B", "2"}}));
  ASSERT_EQ(record.photos.size(), 1u);
  EXPECT_EQ(record.photos[0], (FieldMap{{"TABLEID", "7"}}));
}

TEST(ParseBatchRecord, PhotoGroupsInOrderWithNamesAsWritten) {
  const PrintRecord record = ParseBatchRecord("A=1" + G + "TABLEID=7" + P + "COLUMN=pic&x" + P + "WHERE=id=5" + P +
                                              "LINKFIELDNAME=photo" + G + "tableid=8" + P + "LinkFieldName=sig");
  ASSERT_EQ(record.photos.size(), 2u);
  EXPECT_EQ(record.photos[0], (FieldMap{{"TABLEID", "7"},
                                        {"COLUMN", "pic&x"},
                                        {"WHERE", "id=5"},
                                        {"LINKFIELDNAME", "photo"}}));
  // Lower-case names are not the recognised ones: no photo is fetched for this group.
  EXPECT_EQ(record.photos[1], (FieldMap{{"tableid", "8"}, {"LinkFieldName", "sig"}}));
  EXPECT_EQ(record.photos[1].count(std::string(kPhotoTableId)), 0u);
}

struct DescriptorCase {
  std::string record;
  std::size_t descriptors;  // each uses up one photo number in the batch run
};

TEST(ParseBatchRecord, EveryRecordHasAtLeastOneDescriptor) {
  const std::vector<DescriptorCase> cases = {
      {"A=1", 1},
      {"A=1" + G, 1},
      {"A=1" + G + G, 1},
      {"A=1" + G + "T=1", 1},
      {"A=1" + G + "T=1" + G, 1},
      {"A=1" + G + "T=1" + G + G, 2},
      {"A=1" + G + "T=1" + G + "T=2", 2},
      {"A=1" + G + G + "T=2", 2},
      {"", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseBatchRecord(c.record).photos.size(), c.descriptors) << c.record;
  }
}

TEST(ParseBatchRecord, TrailingGroupSeparatorParsesLikeWithout) {
  const std::string record = "A=1" + P + "B=x" + G + "TABLEID=1" + P + "LINKFIELDNAME=PHOTO";
  const PrintRecord plain = ParseBatchRecord(record);
  const PrintRecord ended = ParseBatchRecord(record + G);
  EXPECT_EQ(plain.fields, ended.fields);
  EXPECT_EQ(plain.photos, ended.photos);
}

TEST(TakeFieldGroup, LeavesThePhotoGroupText) {
  FieldMap fields;
  EXPECT_EQ(TakeFieldGroup("A=1" + G + "T=1" + G + "T=2" + G, fields), "T=1" + G + "T=2");
  EXPECT_EQ(fields, (FieldMap{{"A", "1"}}));
  EXPECT_EQ(TakeFieldGroup("A=2", fields), "");
  EXPECT_EQ(fields, (FieldMap{{"A", "2"}}));
}

TEST(CutSingleCardList, TrailingSeparatorAddsNoRecord) {
  const std::vector<CutCase> cases = {
      {"A=1", {"A=1"}},
      {"A=1" + B, {"A=1"}},
      {"A=1" + B + "B=2", {"A=1", "B=2"}},
      {"A=1" + B + B + "B=2", {"A=1", "", "B=2"}},
      {B, {""}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(CutSingleCardList(c.list), c.records) << c.list;
}

TEST(ParseSingleCardRecord, NamesAndValuesUpperCased) {
  const FieldMap record = ParseSingleCardRecord("header0_1=42" + F + "type=staff" + F + "name=\xE9va=x" + F + "bare" +
                                                F + F + "type=visitor" + F);
  const FieldMap expected = {{"HEADER0_1", "42"}, {"TYPE", "VISITOR"}, {"NAME", "\xC9VA=X"}};
  EXPECT_EQ(record, expected);
}

struct EscapeCase {
  std::string value;
  std::string quotes;
  std::string ampersands;
};

TEST(Escape, ReplacesOnlyItsOwnCharacter) {
  const std::vector<EscapeCase> cases = {
      {"", "", ""},
      {"plain %20 'x'", "plain %20 'x'", "plain %20 'x'"},
      {"say \"hi\"", "say ''hi''", "say \"hi\""},
      {"a&b&&c", "a&b&&c", "a%26b%26%26c"},
      {"\"&\"", "''&''", "\"%26\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeQuotes(c.value), c.quotes) << c.value;
    EXPECT_EQ(EscapeAmpersands(c.value), c.ampersands) << c.value;
  }
}

}  // namespace
}  // namespace lumbra
