// The single-card run against the site and the recording application: the command script,
// the print-dialog rule, empty records, failures per record, and the files left behind.
#include "print_fixture.h"

namespace lumbra::testing {
namespace {

using SingleCardTest = PrintFixture;

std::string Record(std::initializer_list<const char*> pairs) {
  std::string out;
  for (const char* pair : pairs) {
    if (!out.empty()) out += kSinglePair;
    out += pair;
  }
  return out;
}

const std::string kStaff = Record({"HEADER0_1=E1", "TYPE=staff", "NAME=Ana Lind"});
const std::string kStaffWithoutPhoto = Record({"HEADER0_1=E9", "TYPE=STAFF", "NAME=Bo"});

TEST_F(SingleCardTest, OneRecordWithPhotoSendsTheScriptAndCleansUp) {
  PreparePrint(kStaff);
  Control().Put("ShowPrintDialog", Variant::Boolean(true));
  Control().DoAPrint();
  const std::vector<std::string> expected = {
      "[STARTCARD(BADGE)]",
      "[FILLFIELD(EMPNO,\"E1\")]",
      "[FILLFIELD(NAME,\"ANA LIND\")]",
      "[FILLFIELD(PHOTO,\"" + DataFolder() + "\\NEWPHOTO.JPG\")]",
      "[DOPRINT(TRUE,FALSE)]",
  };
  EXPECT_EQ(Commands(), expected);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Get("UrlInfo"), "/employee.asp?ShowMeTheEmployee&KeyField=E1&Type=STAFF");
  EXPECT_EQ(Get("LinkName"), "BADGE.LNK");
  EXPECT_EQ(Get("CardName"), "BADGE.CDF");
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/Ostrel/Ostrel.ini", "/ostrel/ostrel.ini", "/kx/cards/BADGE.CDF",
                                                  "/kx/links/BADGE.LNK",
                                                  "/employee.asp?ShowMeTheEmployee&KeyField=E1&Type=STAFF",
                                                  "/kx/bitmap/LOGO.BMP"}));
  for (const char* left : {"cards/BADGE.CDF", "links/BADGE.LNK", "newphoto.jpg", "bitmap/LOGO.BMP"}) {
    EXPECT_FALSE(std::filesystem::exists(DataPath(left))) << left;
  }
  EXPECT_FALSE(std::filesystem::exists(SystemPath("ostrel.ini")));
}

TEST_F(SingleCardTest, WithoutAPhotoTheLastFieldGoesTwice) {
  PreparePrint(kStaffWithoutPhoto);
  Control().DoAPrint();
  EXPECT_EQ(Commands(), (std::vector<std::string>{"[STARTCARD(BADGE)]", "[FILLFIELD(EMPNO,\"E9\")]",
                                                  "[FILLFIELD(NAME,\"BO\")]", "[FILLFIELD(NAME,\"BO\")]",
                                                  "[DOPRINT(FALSE,FALSE)]"}));
}

TEST_F(SingleCardTest, EmptyMiddleRecordCountsButPrintsNothing) {
  PreparePrint(kStaff + kSingleRecord + kSingleRecord + kStaffWithoutPhoto);
  Control().Put("ShowPrintDialog", Variant::Boolean(true));
  Control().DoAPrint();
  std::vector<std::string> prints;
  for (const std::string& command : Commands()) {
    if (command.starts_with("[DOPRINT") || command.starts_with("[STARTCARD")) prints.push_back(command);
  }
  // Three records in the list: no print dialog for either card.
  EXPECT_EQ(prints, (std::vector<std::string>{"[STARTCARD(BADGE)]", "[DOPRINT(FALSE,FALSE)]", "[STARTCARD(BADGE)]",
                                              "[DOPRINT(FALSE,FALSE)]"}));
  EXPECT_EQ(Get("FieldInfoList"), kStaffWithoutPhoto);
}

TEST_F(SingleCardTest, UnknownTypeEndsOnlyItsRecordWithTheCardStatus) {
  PreparePrint(Record({"HEADER0_1=E1", "TYPE=NOBODY"}) + kSingleRecord + kStaff);
  Control().DoAPrint();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to get the Card file. Error Status Code 404"});
  ASSERT_FALSE(Commands().empty());
  EXPECT_EQ(Commands().front(), "[STARTCARD(BADGE)]");
  EXPECT_EQ(Commands().back(), "[DOPRINT(FALSE,FALSE)]");
}

TEST_F(SingleCardTest, MissingLinkFileAndRefusedStartAreReported) {
  std::filesystem::remove(site_.Root() / "kx/links/VISITOR.LNK");
  PreparePrint(Record({"HEADER0_1=V1", "TYPE=VISITOR"}));
  Control().DoAPrint();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to get the Link file. Error Status Code 404"});
  EXPECT_TRUE(Commands().empty());

  ui_.ClearJournal();
  production_.Refuse("STARTCARD");
  PreparePrint(kStaff);
  Control().DoAPrint();
  ASSERT_FALSE(Messages().empty());
  EXPECT_EQ(Messages().back(), "Print Failed!");
  EXPECT_FALSE(std::filesystem::exists(DataPath("cards/BADGE.CDF")));
}

TEST_F(SingleCardTest, SiteIniMissingIsReportedWithItsStatus) {
  std::filesystem::remove(site_.Root() / "ostrel/ostrel.ini");
  PreparePrint(kStaff);
  Control().DoAPrint();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to get the ostrel.ini file. Error Status Code 404"});
  EXPECT_TRUE(Commands().empty());
}

TEST_F(SingleCardTest, RefusedLoginEndsTheRunSilently) {
  TestSite guarded({.users = "clerk:pw\n", .tls_host = ""});
  PreparePrint(kStaff);
  Put("PORT", std::to_string(guarded.Port()));
  ui_.Queue("cancel");
  Control().DoAPrint();
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Commands().empty());
}

}  // namespace
}  // namespace lumbra::testing
