// The batch run through the recording application: layout choice, record counting and the
// progress window, photo numbering and requests, the link settled once, required photos,
// handlers and Ploxen bitmaps, preview and override decisions, and the command script.
#include "print_fixture.h"
#include "printserver/print_server_registry.h"

namespace lumbra::testing {
namespace {

using BatchTest = PrintFixture;

std::string Group(std::initializer_list<std::string> pairs) {
  std::string out;
  for (const std::string& pair : pairs) {
    if (!out.empty()) out += kPair;
    out += pair;
  }
  return out;
}

std::string Photo(const std::string& id, const std::string& field = "photo") {
  return Group({"TABLEID=EMP", "COLUMN=PHOTO", "WHERE=ID=" + id, "LINKFIELDNAME=" + field});
}

std::string Card(const std::string& fields, std::initializer_list<std::string> photos = {}) {
  std::string out = fields;
  for (const std::string& photo : photos) out += kGroup + photo;
  return out;
}

std::vector<std::string> Matching(const std::vector<std::string>& all, std::string_view start) {
  std::vector<std::string> out;
  for (const std::string& item : all) {
    if (item.starts_with(start)) out.push_back(item);
  }
  return out;
}

TEST_F(BatchTest, OneRecordSendsTheScriptWithTheDialogAndLeavesNoFile) {
  PreparePrint(Card(Group({"DATAVIEWID=DV10", "NAME=Ana \"Nan\" Lind", "EMPNO=1"}), {Photo("1")}));
  Control().Put("ShowPrintDialog", Variant::Boolean(true));
  Control().DoAPrint();
  const std::vector<std::string> expected = {
      "[STARTCARD(BADGE)]",
      "[FILLFIELD(\"EMPNO\",\"1\")]",
      "[FILLFIELD(\"NAME\",\"Ana ''Nan'' Lind\")]",
      "[FILLFIELD(\"PHOTO\",\"" + DataFolder() + "\\0.jpg\")]",
      "[DOPRINT(TRUE,FALSE)]",
  };
  EXPECT_EQ(Commands(), expected);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Get("LinkName"), "BADGE.LNK");
  EXPECT_EQ(Get("CardName"), "BADGE.CDF");
  EXPECT_EQ(Get("FieldInfoList"), "");
  EXPECT_EQ(Get("UrlInfo"), "/photo.asp?tableid=EMP&column=PHOTO&where=ID=1");
  for (const auto& journal : ui_.Journal()) {
    EXPECT_NE(journal.kind, "progress");
  }
  for (const char* left : {"0.jpg", "cards/BADGE.CDF", "links/BADGE.LNK"}) {
    EXPECT_FALSE(std::filesystem::exists(DataPath(left))) << left;
  }
  EXPECT_FALSE(std::filesystem::exists(SystemPath("ostrel.ini")));
  // Bitmaps stay for the control's life.
  EXPECT_TRUE(std::filesystem::exists(DataPath("bitmap/LOGO.BMP")));
}

TEST_F(BatchTest, TheBatchLayoutAnywhereInTheListSelectsTheBatchRun) {
  // The first record looks like a single-card record; the pair separator is in the last only.
  PreparePrint(std::string("LINKFILENAME=BADGE") + kRecord + Group({"LINKFILENAME=BADGE", "NAME=B"}));
  Control().DoAPrint();
  EXPECT_EQ(Matching(Commands(), "[FILLFIELD"),
            (std::vector<std::string>{"[FILLFIELD(\"LINKFILENAME\",\"BADGE\")]", "[FILLFIELD(\"LINKFILENAME\",\"BADGE\")]",
                                      "[FILLFIELD(\"NAME\",\"B\")]"}));
  EXPECT_EQ(Matching(Commands(), "[DOPRINT"), std::vector<std::string>(2, "[DOPRINT(FALSE,FALSE)]"));
}

TEST_F(BatchTest, EmptyRecordsCountInTheProgressButPrintNothing) {
  const std::string card = Group({"LINKFILENAME=BADGE", "NAME=A"});
  PreparePrint(card + kRecord + kRecord + card);
  Control().Put("ShowPrintDialog", Variant::Boolean(true));
  Control().DoAPrint();
  EXPECT_EQ(Matching(Commands(), "[STARTCARD").size(), 2u);
  EXPECT_EQ(Matching(Commands(), "[DOPRINT"), std::vector<std::string>(2, "[DOPRINT(FALSE,FALSE)]"));
  const JournalEntry* progress = nullptr;
  for (const auto& entry : ui_.Journal()) {
    if (entry.kind == "progress") progress = &entry;
  }
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->caption, "Ostrel Batch Print Status");
  EXPECT_EQ(progress->range_high, 3);
  EXPECT_EQ(progress->position, 3);
  EXPECT_EQ(progress->percent_text, "100%");
  EXPECT_FALSE(ui_.OwnerDisabled());
}

TEST_F(BatchTest, PhotosAreNumberedAcrossRecordsAndGroupsWithoutAFieldUseANumber) {
  const std::string first = Card(Group({"LINKFILENAME=BADGE", "NAME=A"}),
                                 {Photo("1"), Group({"TABLEID=EMP", "COLUMN=PHOTO", "WHERE=ID=2"}),
                                  Photo("2", "signature")});
  const std::string second = Card(Group({"NAME=B"}), {Photo("3", "Photo")});
  const std::string third = Card(Group({"NAME=C"}));
  PreparePrint(first + kRecord + second + kRecord + third);
  Control().DoAPrint();
  const std::string folder = DataFolder() + "\\";
  EXPECT_EQ(Matching(Commands(), "[FILLFIELD(\"PHOTO"),
            (std::vector<std::string>{"[FILLFIELD(\"PHOTO\",\"" + folder + "0.jpg\")]",
                                      "[FILLFIELD(\"PHOTO\",\"" + folder + "3.jpg\")]"}));
  // The signature photo (ID=2) was asked for, the group without a field was not.
  EXPECT_EQ(Matching(Commands(), "[FILLFIELD(\"SIGNATURE"),
            std::vector<std::string>{"[FILLFIELD(\"SIGNATURE\",\"" + folder + "2.jpg\")]"});
  EXPECT_EQ(Matching(Requests(), "/photo.asp").size(), 3u);
  // A record without photo groups still builds an (empty) photo request.
  EXPECT_EQ(Get("UrlInfo"), "/photo.asp?tableid=&column=&where=");
}

TEST_F(BatchTest, TheSiteIniIsFetchedOnlyWhileNoLinkIsSettled) {
  const std::string card = Group({"DATAVIEWID=DV10", "NAME=A"});
  PreparePrint(card + kRecord + card);
  Control().DoAPrint();
  EXPECT_EQ(RequestCount("/ostrel/ostrel.ini"), 1u);
  EXPECT_EQ(Matching(Commands(), "[STARTCARD"), std::vector<std::string>(2, "[STARTCARD(BADGE)]"));
  EXPECT_TRUE(Matching(Commands(), "[FILLFIELD(\"DATAVIEWID").empty());
}

TEST_F(BatchTest, RequiredPhotoThatIsMissingEndsTheRunAndLeavesNoPhoto) {
  SetSetting("RequireImage", 1);
  const std::string first = Card(Group({"LINKFILENAME=BADGE", "NAME=A"}), {Photo("1"), Photo("404", "back")});
  PreparePrint(first + kRecord + Card(Group({"NAME=B"}), {Photo("2")}));
  Control().DoAPrint();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Error: BACK not retrieved."});
  EXPECT_TRUE(Commands().empty());
  EXPECT_FALSE(std::filesystem::exists(DataPath("0.jpg")));
}

TEST_F(BatchTest, MissingPhotoWithoutTheRequirementIsLeftOut) {
  PreparePrint(Card(Group({"LINKFILENAME=BADGE", "NAME=A"}), {Photo("404")}));
  Control().DoAPrint();
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Matching(Commands(), "[FILLFIELD(\"PHOTO").empty());
  EXPECT_EQ(Matching(Commands(), "[DOPRINT").size(), 1u);
}

TEST_F(BatchTest, PreviewAnswersAndOverrideDecideWhatIsPrinted) {
  struct Case {
    const char* name;
    bool preview;
    bool override_print;
    std::vector<std::string> answers;
    std::vector<std::string> decisions;  // the preview and print commands sent
    std::string field_info_list;
  };
  const std::string show = "[SHOWPREVIEW(7,9,TRUE)]";
  const std::string hide = "[HIDEPREVIEW(TRUE)] ";
  const std::vector<Case> cases = {
      {"yes prints", true, false, {"yes", "yes"}, {show, hide, "[DOPRINT(FALSE,FALSE)]", show, hide, "[DOPRINT(FALSE,FALSE)]"}, ""},
      {"no, then asked again", true, false, {"no", "yes"}, {show, hide, show, hide, "[DOPRINT(FALSE,FALSE)]"}, ""},
      {"yes, then no", true, false, {"yes", "no"}, {show, hide, "[DOPRINT(FALSE,FALSE)]", show, hide}, "N"},
      {"override reports Y", false, true, {}, {}, "Y"},
      {"override after yes", true, true, {"yes", "yes"}, {show, hide, show, hide}, "Y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DestroyControl();
    ui_.ClearJournal();
    const std::size_t before = Commands().size();
    for (const std::string& answer : c.answers) ui_.Queue(answer);
    const std::string card = Group({"LINKFILENAME=BADGE", "NAME=A"});
    PreparePrint(card + kRecord + card);
    Put("X", "7");
    Put("Y", "9");
    Control().Put("PrintPreview", Variant::Boolean(c.preview));
    Control().Put("OverRidePrint", Variant(std::int32_t{c.override_print}));
    Control().DoAPrint();
    std::vector<std::string> decisions;
    const std::vector<std::string> commands = Commands();
    for (std::size_t i = before; i < commands.size(); ++i) {
      if (!commands[i].starts_with("[STARTCARD") && !commands[i].starts_with("[FILLFIELD")) decisions.push_back(commands[i]);
    }
    EXPECT_EQ(decisions, c.decisions);
    EXPECT_EQ(Get("FieldInfoList"), c.field_info_list);
    EXPECT_EQ(ui_.PendingAnswers(), 0u);
    for (const auto& entry : ui_.Journal()) {
      if (entry.kind == "message") {
        EXPECT_EQ(entry.text, "Press Yes to print, No to return to the browser.");
      }
    }
  }
}

TEST_F(BatchTest, TheLastHandlerDecidesOnPloxenBitmaps) {
  PutSiteFile("kx/handlers/PLOXEN.DLL", "MZ");
  PutSiteFile("kx/handlers/PLOXEN.INI", "[PLX]\nLEVEL~GOLD~GOLD.BMP~1|LEVEL~SILVER~SILVER.BMP~1|\n");
  PutSiteFile("kx/handlers/OTHER.DLL", "MZ");
  PutSiteFile("kx/handlers/OTHER.INI", "[x]\n");
  PutSiteFile("kx/bitmap/GOLD.BMP", "gold");
  PutSiteFile("kx/bitmap/SILVER.BMP", "silver");
  PutSiteFile("kx/links/PLX.LNK", "[Link]\nCardName=BADGE\nEventDll=OTHER.DLL\nEventDll=ploxen.dll\n");
  PutSiteFile("kx/links/PLXFIRST.LNK", "[Link]\nCardName=BADGE\nEventDll=PLOXEN.DLL\nEventDll=OTHER.DLL\n");
  PutSiteFile("kx/handlers/PLOXEN.INI", "[PLX]\nLEVEL~GOLD~GOLD.BMP~1|LEVEL~SILVER~SILVER.BMP~1|\n"
                                        "[PLXFIRST]\nLEVEL~GOLD~GOLD.BMP~1|\n");
  PreparePrint(Group({"LINKFILENAME=PLXFIRST", "NAME=A"}));
  Control().DoAPrint();
  EXPECT_EQ(RequestCount("/kx/bitmap/GOLD.BMP"), 0u);

  PreparePrint(Group({"LINKFILENAME=PLX", "NAME=A"}));
  Control().DoAPrint();
  EXPECT_EQ(RequestCount("/kx/bitmap/GOLD.BMP"), 1u);
  EXPECT_EQ(RequestCount("/kx/bitmap/SILVER.BMP"), 1u);
  // Handlers present from the first record are not fetched again; their inis are.
  EXPECT_EQ(RequestCount("/kx/handlers/PLOXEN.DLL"), 1u);
  EXPECT_EQ(RequestCount("/kx/handlers/PLOXEN.INI"), 1u);
  EXPECT_EQ(RequestCount("/kx/handlers/ploxen.INI"), 1u);
  EXPECT_EQ(RequestCount("/kx/handlers/OTHER.INI"), 2u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(BatchTest, HandlerAndIniFailuresAreReportedAndTheCardStillPrints) {
  PutSiteFile("kx/links/EVENT.LNK", "[Link]\nCardName=BADGE\nEventDll=GONE.DLL\n");
  PreparePrint(Group({"LINKFILENAME=EVENT", "NAME=A"}));
  Control().DoAPrint();
  EXPECT_EQ(Messages(), (std::vector<std::string>{"EventHandler not found: Error# 404",
                                                  "Event Support INI not found: Error# 404"}));
  EXPECT_EQ(Matching(Commands(), "[DOPRINT").size(), 1u);
}

TEST_F(BatchTest, LinkAndCardFailuresEndTheRecord) {
  PreparePrint(Group({"LINKFILENAME=NOWHERE", "NAME=A"}) + kRecord + Group({"LINKFILENAME=BADGE", "NAME=B"}));
  Control().DoAPrint();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to get file Http error: 404 FileName:/kx/links/NOWHERE.LNK"});
  EXPECT_EQ(Matching(Commands(), "[STARTCARD"), std::vector<std::string>{"[STARTCARD(BADGE)]"});
}

TEST_F(BatchTest, CachedLinkAndCardAreUsedWhenTheServerIsNotAsked) {
  SetSetting("GetCardsFromServer", 0);
  std::filesystem::copy_file(site_.Root() / "kx/links/BADGE.LNK", DataPath("links/BADGE.LNK"));
  std::filesystem::copy_file(site_.Root() / "kx/cards/BADGE.CDF", DataPath("cards/BADGE.CDF"));
  PreparePrint(Group({"LINKFILENAME=badge", "NAME=A"}));
  Control().DoAPrint();
  EXPECT_EQ(RequestCount("/kx/links/BADGE.LNK"), 0u);
  EXPECT_EQ(Matching(Commands(), "[DOPRINT").size(), 1u);
  // The cleanup after the record removes them all the same.
  EXPECT_FALSE(std::filesystem::exists(DataPath("links/BADGE.LNK")));
}

TEST_F(BatchTest, PrintServerModeSaysItIsNotAvailableAndPrintsNothing) {
  registry_->SetValue(Hive::LocalMachine, "Software\\Korvel\\Carvix\\Directories", "Projects",
                      RegValue::Text((layout_.root / "Projects").string()));
  std::filesystem::create_directories(layout_.root / "Projects");
  registry_->CreateKey(Hive::ClassesRoot, "Korvel.PrintServer.Input\\CLSID");
  PreparePrint(Card(Group({"NAME=A"}), {Photo("1")}));
  Put("LinkName", "Staff/BADGE");
  Control().DoAPrint();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Printing through the print server is not available in this build."});
  EXPECT_EQ(Control().Get("PrintStatus").ToI4(), 0);
  EXPECT_TRUE(Commands().empty());
  // The photo went to the project's folder and was removed after the record.
  EXPECT_TRUE(std::filesystem::is_directory(layout_.root / "Projects/Staff"));
  EXPECT_FALSE(std::filesystem::exists(layout_.root / "Projects/Staff/0.jpg"));
}

}  // namespace
}  // namespace lumbra::testing
