#include "linkmap/form_link_map.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/base/files.h"
#include "platform/base/root.h"
#include "platform/ui/scripted_ui.h"

namespace lumbra {
namespace {

namespace fs = std::filesystem;

const std::string B(1, kEntrySeparator);

// A workstation root whose system folder holds the fixture files: the site ini, the two
// capture inis, link and card files and the Ploxen list.
class LinkMapTest : public ::testing::Test {
 protected:
  LinkMapTest() : root_(MakeRoot()), files_(root_), system_folder_(RootLayout{root_}.SystemFolder()) {
    fs::create_directories(root_ / "system");
    for (const auto& entry : fs::directory_iterator(LINKMAP_FIXTURES)) {
      fs::copy_file(entry.path(), root_ / "system" / entry.path().filename());
    }
  }
  ~LinkMapTest() override { fs::remove_all(root_); }

  static fs::path MakeRoot() {
    std::string pattern = (fs::temp_directory_path() / "linkmap-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
  }

  CFormLinkMap Map(LinkMapOptions options = LinkMapOptions::PrintControl()) {
    return CFormLinkMap(std::move(options), files_, ui_, system_folder_);
  }
  std::string SystemFile(const std::string& name) const { return system_folder_ + name; }
  void WriteSystemFile(const std::string& name, const std::string& text) const {
    std::ofstream(root_ / "system" / name, std::ios::binary) << text;
  }
  void RemoveSystemFile(const std::string& name) const { fs::remove(root_ / "system" / name); }

  struct Link {
    std::string link;
    std::string card;
    bool operator==(const Link&) const = default;
  };
  static Link Lookup(const CFormLinkMap& map, const std::string& key, bool capture_map = false,
                     const std::string& card_before = "KEPT.CDF") {
    Link result{"OLD.LNK", card_before};
    map.LookupLink(key, result.link, result.card, capture_map);
    return result;
  }
  static std::vector<std::string> Bitmaps(const CFormLinkMap& map) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < map.BitmapCount(); ++i) names.push_back(map.BitmapAt(i));
    return names;
  }

  fs::path root_;
  FileSystem files_;
  std::string system_folder_;
  ScriptedUi ui_;
};

TEST_F(LinkMapTest, IdLinkMapLoadsUpToTheFirstGapAndSkipsValuesWithoutKey) {
  CFormLinkMap map = Map();
  map.LoadIdLinkMap(system_folder_);
  struct Case {
    std::string key;
    Link expected;
  };
  const std::vector<Case> cases = {
      {"ID5", {"BADGE.LNK", "FRONT.CDF"}},
      {"id5", {"", ""}},                     // keys are stored upper case and compared exactly
      {"STAFF", {"STAFF.LNK", "KEPT.CDF"}},  // a link file alone leaves the card name
      {"NOKEY", {"", ""}},                   // "3=nokey" has no key part: skipped
      {"LATE", {"", ""}},                    // key 5 comes after the gap at 4
      {"", {"", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lookup(map, c.key), c.expected) << c.key;
  EXPECT_TRUE(ui_.MessageTexts().empty());
}

TEST_F(LinkMapTest, IdLinkMapStopsAtAnEmptyValue) {
  WriteSystemFile("Ostrel.ini", "[IDLINKPRODUCTION]\n1=a" + B + "L1" + B + "C1\n2=\n3=b" + B + "L3" + B + "C3\n");
  CFormLinkMap map = Map();
  map.LoadIdLinkMap(system_folder_);
  EXPECT_EQ(Lookup(map, "A"), (Link{"L1.LNK", "C1.CDF"}));
  EXPECT_EQ(Lookup(map, "B"), (Link{"", ""}));
}

TEST_F(LinkMapTest, IdLinkMapLaterKeyReplacesEarlierAndEmptyEntryFindsNothing) {
  WriteSystemFile("Ostrel.ini",
                  "[IDLINKPRODUCTION]\n1=a" + B + "L1" + B + "C1\n2=A" + B + "L2" + B + "C2\n3=E" + B + "\n");
  CFormLinkMap map = Map();
  map.LoadIdLinkMap(system_folder_);
  EXPECT_EQ(Lookup(map, "A"), (Link{"L2.LNK", "C2.CDF"}));
  EXPECT_EQ(Lookup(map, "E"), (Link{"", ""}));
}

TEST_F(LinkMapTest, MissingSiteIniShowsTheMessageAndKeepsTheMap) {
  CFormLinkMap map = Map();
  map.LoadIdLinkMap(system_folder_);
  RemoveSystemFile("Ostrel.ini");
  EXPECT_FALSE(map.SiteIniPresent(system_folder_));
  map.LoadIdLinkMap(system_folder_);
  EXPECT_EQ(ui_.MessageTexts(), (std::vector<std::string>{"Ostrel.ini File could not be opened ",
                                                           "Ostrel.ini File could not be opened "}));
  EXPECT_EQ(Lookup(map, "ID5"), (Link{"BADGE.LNK", "FRONT.CDF"}));
}

TEST_F(LinkMapTest, SiteIniIsCheckedInTheGivenFolderWithoutRegardToCase) {
  CFormLinkMap map = Map();
  // The fixture is spelled "Ostrel.ini"; the check asks for "ostrel.ini".
  EXPECT_TRUE(map.SiteIniPresent(system_folder_));
  fs::create_directories(root_ / "other");
  EXPECT_FALSE(map.SiteIniPresent((root_ / "other").string() + "/"));
  EXPECT_EQ(ui_.MessageTexts().size(), 1u);
}

TEST_F(LinkMapTest, PrintControlCaptureMapComesFromWebIni) {
  CFormLinkMap map = Map();
  map.LoadCaptureMap(system_folder_);
  EXPECT_EQ(Lookup(map, "ID5_CAM", true), (Link{"BADGE.LNK", "FRONT.CDF"}));
  EXPECT_EQ(Lookup(map, "SIGN_PAD", true), (Link{"SIGN.LNK", "KEPT.CDF"}));
  // The two maps are apart.
  EXPECT_EQ(Lookup(map, "ID5_CAM", false), (Link{"", ""}));
  EXPECT_EQ(Lookup(map, "WEB", true), (Link{"", ""}));
}

TEST_F(LinkMapTest, CaptureControlReadsFennicIniAndLooksUpTheLinkOnly) {
  CFormLinkMap map = Map(LinkMapOptions::CaptureControl());
  map.LoadCaptureMap();
  struct Case {
    std::string key;
    Link expected;
  };
  const std::vector<Case> cases = {
      {"ID5_CAM", {"BADGE.LNK", ""}},
      {"PAD", {"PAD.LNK", ""}},  // already a link file name: not extended again
      {"id5_cam", {"", ""}},
      {"MISSING", {"", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lookup(map, c.key, true), c.expected) << c.key;
  EXPECT_TRUE(ui_.MessageTexts().empty());
}

TEST_F(LinkMapTest, CaptureControlChecksFennicIni) {
  RemoveSystemFile("fennic.ini");
  CFormLinkMap map = Map(LinkMapOptions::CaptureControl());
  EXPECT_FALSE(map.SiteIniPresent());
  map.LoadCaptureMap();
  EXPECT_EQ(ui_.MessageTexts(),
            (std::vector<std::string>{"Fennic.ini could not be opened.", "Fennic.ini could not be opened."}));
}

TEST_F(LinkMapTest, FieldMapKeepsEveryUsableEntryInOrder) {
  CFormLinkMap map = Map();
  map.LoadIdLinkMap(system_folder_);
  map.LoadFieldMap("ID5");
  // "2=skipped" has no card field and is left out; "4=" ends the section.
  ASSERT_EQ(map.FieldCount(), 2u);
  struct Field {
    std::string record_key;
    std::string card_field;
    bool operator==(const Field&) const = default;
  };
  std::vector<Field> fields;
  for (std::size_t n = 0; n <= 3; ++n) {
    Field field{"old", "old"};
    map.FieldAt(n, field.record_key, field.card_field);
    fields.push_back(field);
  }
  EXPECT_EQ(fields, (std::vector<Field>{{"", ""}, {"NAME", "Name"}, {"PHOTO", "Photo"}, {"", ""}}));
}

TEST_F(LinkMapTest, FieldMapIsEmptiedForKeysWithoutASection) {
  CFormLinkMap map = Map();
  map.LoadIdLinkMap(system_folder_);
  map.LoadFieldMap("ID5");
  map.LoadFieldMap("STAFF");  // a link file alone names no section
  EXPECT_EQ(map.FieldCount(), 0u);
  map.LoadFieldMap("ID5");
  map.LoadFieldMap("id5");
  EXPECT_EQ(map.FieldCount(), 0u);
}

TEST_F(LinkMapTest, TypeFieldIsCutTo29Characters) {
  CFormLinkMap map = Map();
  EXPECT_EQ(map.ReadTypeField(), "PERSON_TYPE_FIELD_WITH_A_LONG");
  RemoveSystemFile("Ostrel.ini");
  EXPECT_EQ(map.ReadTypeField(), "");
}

TEST_F(LinkMapTest, LinkFileGivesCardEventHandlersAndImageSection) {
  CFormLinkMap map = Map();
  struct Case {
    std::string file;
    std::string section_in;
    std::string section_out;
    std::string card_out;
  };
  const std::vector<Case> cases = {
      // The last CardName line wins; the unterminated last line is not read.
      {"BADGE.LNK", "", "Photo", "BACK.CDF"},
      {"BADGE.LNK", "xx", "Photo", "BACK.CDF"},
      // A section given by the caller is kept when it is an image section.
      {"BADGE.LNK", "Sign", "Sign", "BACK.CDF"},
      {"FIRST.LNK", "", "Photo", ".CDF"},
      // The placeholder hides the first header, the only image section.
      {"FIRST.LNK", "xx", "", ".CDF"},
  };
  for (const auto& c : cases) {
    std::string card = "KEPT.CDF";
    std::string section = c.section_in;
    std::size_t events = 99;
    map.ReadLinkFile(SystemFile(c.file), card, section, events);
    EXPECT_EQ(section, c.section_out) << c.file << " " << c.section_in;
    EXPECT_EQ(card, c.card_out) << c.file << " " << c.section_in;
  }
  std::string card;
  std::string section;
  std::size_t events = 0;
  map.ReadLinkFile(SystemFile("BADGE.LNK"), card, section, events);
  EXPECT_EQ(events, 2u);
  EXPECT_EQ(map.EventDllAt(0), "ploxen.dll");
  EXPECT_EQ(map.EventDllAt(1), "stamp.dll");
  EXPECT_EQ(map.EventDllAt(2), "");
}

TEST_F(LinkMapTest, MissingLinkFileReadsNothingAndEmptiesTheHandlers) {
  CFormLinkMap map = Map();
  std::string card = "KEPT.CDF";
  std::string section = "xx";
  std::size_t events = 0;
  map.ReadLinkFile(SystemFile("BADGE.LNK"), card, section, events);
  card = "KEPT.CDF";
  section = "xx";
  map.ReadLinkFile(SystemFile("NONE.LNK"), card, section, events);
  EXPECT_EQ(events, 0u);
  EXPECT_EQ(map.EventDllCount(), 0u);
  EXPECT_EQ(card, "KEPT.CDF");
  EXPECT_EQ(section, "xx");
}

TEST_F(LinkMapTest, CardBitmapsAccumulateAcrossCardsAndIncludeTheLastLine) {
  CFormLinkMap map = Map();
  const std::vector<std::string> card = {"logo.bmp", "back.bmp", "strBackgndBMPName=both.bmp", "both.bmp",
                                         "last.bmp"};
  EXPECT_EQ(map.ReadCardBitmaps(SystemFile("FRONT.CDF")), 5u);
  EXPECT_EQ(Bitmaps(map), card);
  EXPECT_EQ(map.ReadCardBitmaps(SystemFile("NONE.CDF")), 5u);
  EXPECT_EQ(map.ReadCardBitmaps(SystemFile("FRONT.CDF")), 10u);
  EXPECT_EQ(map.BitmapAt(9), "last.bmp");
  EXPECT_EQ(map.BitmapAt(10), "");
}

TEST_F(LinkMapTest, CaptureControlCardBitmapsComeFromTheSiteIniSection) {
  CFormLinkMap map = Map(LinkMapOptions::CaptureControl());
  EXPECT_EQ(map.ReadCardBitmaps("Capture"), 2u);
  EXPECT_EQ(Bitmaps(map), (std::vector<std::string>{"a.bmp", "b.bmp"}));
  EXPECT_EQ(map.ReadCardBitmaps("NoSuchSection"), 0u);
}

TEST_F(LinkMapTest, PloxenBitmapsOfTheLinksSectionsInLineOrder) {
  CFormLinkMap map = Map();
  map.ReadCardBitmaps(SystemFile("FRONT.CDF"));
  map.ReadPloxenBitmaps("BADGE.LNK", system_folder_);
  // A broken entry ends its line; an entry without its "|" adds nothing.
  EXPECT_EQ(Bitmaps(map), (std::vector<std::string>{"one.bmp", "two.bmp", "three.bmp", "four.bmp"}));
  // Card bitmaps are added after the Ploxen ones.
  EXPECT_EQ(map.ReadCardBitmaps(SystemFile("FRONT.CDF")), 9u);
}

TEST_F(LinkMapTest, PloxenListIsEmptiedEvenWithoutMatch) {
  CFormLinkMap map = Map();
  map.ReadCardBitmaps(SystemFile("FRONT.CDF"));
  map.ReadPloxenBitmaps("badge.lnk", system_folder_);  // sections match exactly
  EXPECT_EQ(map.BitmapCount(), 0u);
  map.ReadCardBitmaps(SystemFile("FRONT.CDF"));
  map.ReadPloxenBitmaps("BADGE.LNK", (root_ / "nowhere").string() + "/");
  EXPECT_EQ(map.BitmapCount(), 0u);
  map.ReadPloxenBitmaps("LNK", system_folder_);
  EXPECT_EQ(map.BitmapCount(), 0u);
}

}  // namespace
}  // namespace lumbra
