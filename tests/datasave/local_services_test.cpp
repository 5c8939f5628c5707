#include <gtest/gtest.h>

#include "data_save_fixture.h"
#include "datasave/data_save_object.h"

namespace lumbra::testing {
namespace {

class DataSaveObjectTest : public DataSaveTest {
 protected:
  DataSaveObject object_{services_};
};

TEST_F(DataSaveObjectTest, MembersInDispatchOrder) {
  const std::vector<std::string> expected = {
      "SendData", "DLLVERSION", "FieldInfoList", "PORT", "ServerURL", "SelectBlob", "CleanUp",
      "AppPath", "BlobSelected", "GetUserName", "GetPassword", "GetBio", "CallASP", "GetData",
      "GetRegValue", "BrowseForFile", "WriteTextFile", "ReadTextFile", "CleanUpNoDelete", "RemoveFile"};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(object_.Dispatch().NameOfId(static_cast<DispId>(i + 1)), expected[i]);
  }
  EXPECT_EQ(object_.Dispatch().NameOfId(21), "");
  EXPECT_EQ(object_.Dispatch().InterfaceName(), "IDataSave");
}

TEST_F(DataSaveObjectTest, TheTableDeclaresBrowseFlags) {
  const auto& enums = object_.Dispatch().Enums();
  ASSERT_EQ(enums.size(), 1u);
  EXPECT_EQ(enums[0].name, "BrowseFlags");
  EXPECT_EQ(enums[0].constants.size(), 24u);
  const struct {
    const char* name;
    std::int32_t value;
  } samples[] = {{"BFF_READONLY", 0x1},       {"BFF_OVERWRITEPROMPT", 0x2}, {"BFF_HIDEREADONLY", 0x4},
                 {"BFF_PATHMUSTEXIST", 0x800}, {"BFF_FILEMUSTEXIST", 0x1000}, {"BFF_ENABLESIZING", 0x800000}};
  for (const auto& sample : samples) EXPECT_EQ(object_.Dispatch().EnumValue(sample.name), sample.value) << sample.name;
}

TEST_F(DataSaveObjectTest, ANewObjectIsEmptyAndCallASPDoesNothing) {
  for (const char* property : {"DLLVERSION", "FieldInfoList", "PORT", "ServerURL", "AppPath"}) {
    object_.Put(property, Variant(""));
    EXPECT_EQ(DataSaveObject(services_).Get(property), Variant(""));
  }
  EXPECT_EQ(DataSaveObject(services_).Call("BlobSelected"), Variant::Boolean(false));
  EXPECT_EQ(object_.Call("CallASP", {Variant("/x.asp")}), Variant(""));
  EXPECT_TRUE(site_.Requests().empty());
}

TEST_F(DataSaveObjectTest, TextCrossesAsUtf8AndIsKeptAsAnsi) {
  object_.Put("FieldInfoList", Variant("Jos\xC3\xA9"));
  EXPECT_EQ(object_.Logic().properties.field_info_list, "Jos\xE9");
  EXPECT_EQ(object_.Get("FieldInfoList"), Variant("Jos\xC3\xA9"));
}

void ExpectAutomationError(const std::function<void()>& call, const std::string& description) {
  try {
    call();
    ADD_FAILURE() << "no automation error";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), DISP_E_EXCEPTION);
    EXPECT_EQ(error.Description(), description);
    EXPECT_EQ(error.Source(), "Quorra.DataSave.1");
    EXPECT_EQ(error.Interface(), "IDataSave");
  }
}

TEST_F(DataSaveObjectTest, TheThreeAutomationErrors) {
  ExpectAutomationError([&] { object_.Call("GetRegValue", {Variant(std::int16_t{4}), "Software", "x"}); },
                        "Invalid Registry Handle");
  const std::string missing = (root_.root / "none.txt").string();
  ExpectAutomationError([&] { object_.Call("ReadTextFile", {Variant(missing)}); },
                        missing + ": The system cannot find the file specified.");
  const std::string no_folder = (root_.root / "no" / "such.txt").string();
  ExpectAutomationError([&] { object_.Call("WriteTextFile", {Variant(no_folder), "text"}); },
                        no_folder + ": The system cannot find the file specified.");
}

TEST_F(DataSaveObjectTest, RegistryReads) {
  registry_.SetValue(Hive::LocalMachine, "Software\\Korvel", "Name", RegValue::Text("Jos\xE9"));
  registry_.SetValue(Hive::CurrentUser, "Software\\Korvel", "Count", RegValue::Number(0x00004241));
  struct Case {
    std::int16_t hive;
    const char* key;
    const char* value;
    std::string expected;
  };
  const Case cases[] = {
      {2, "Software\\Korvel", "Name", "Jos\xC3\xA9"},
      {2, "SOFTWARE\\korvel", "name", "Jos\xC3\xA9"},
      {1, "Software\\Korvel", "Count", "AB"},  // the number's bytes up to the first zero
      {2, "Software\\Missing", "Name", ""},
      {2, "Software\\Korvel", "Missing", ""},
      {0, "Software\\Korvel", "Name", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(object_.Call("GetRegValue", {Variant(c.hive), c.key, c.value}), Variant(c.expected));
  }
}

TEST_F(DataSaveObjectTest, ADamagedHiveIsToldAndStopsNothing) {
  std::ofstream(root_.RegistryDir() / "HKEY_LOCAL_MACHINE.reg") << "not a registry file\n[unclosed\n";
  EXPECT_EQ(object_.Call("GetRegValue", {Variant(std::int16_t{2}), "Software", "x"}), Variant(""));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("HKEY_LOCAL_MACHINE.reg"), std::string::npos);
  site_.answer = [](const SeenRequest&) { return Answer{200, "a=1"}; };
  object_.Logic().properties = data_save_.properties;
  EXPECT_EQ(object_.Call("GetData", {Variant("/page.asp?a=1")}), Variant("a=1"));
}

TEST_F(DataSaveObjectTest, TextFilesRoundTripAndRemoval) {
  const std::string path = (root_.root / "note.txt").string();
  const std::string text = "line one\r\nZo\xC3\xAB\n";
  object_.Call("WriteTextFile", {Variant(path), Variant(text)});
  EXPECT_EQ(Read(path), "line one\r\nZo\xEB\n");  // one byte per character, no conversion
  EXPECT_EQ(object_.Call("ReadTextFile", {Variant(path)}), Variant(text));
  Write("zero.txt", std::string("ab\0cd", 5));
  EXPECT_EQ(object_.Call("ReadTextFile", {Variant((root_.root / "zero.txt").string())}), Variant("ab"));
  EXPECT_EQ(object_.Call("RemoveFile", {Variant(path)}), Variant::Boolean(true));
  EXPECT_EQ(object_.Call("RemoveFile", {Variant(path)}), Variant::Boolean(false));
}

TEST_F(DataSaveObjectTest, BrowseForFileOpensOnlyForTheTrueValue) {
  ui_.Queue("file C:\\photos\\a.jpg");
  EXPECT_EQ(object_.Call("BrowseForFile", {Variant::Boolean(true)}), Variant("C:\\photos\\a.jpg"));
  ui_.Queue("cancel");
  EXPECT_EQ(object_.Call("BrowseForFile", {Variant(std::int16_t{1}), "jpg", "a.jpg", std::int32_t{0x1000},
                                           "Pictures|*.jpg||"}),
            Variant(""));
  const auto& journal = ui_.Journal();
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[0].flags, std::vector<std::string>{"open"});
  EXPECT_EQ(journal[1].flags, std::vector<std::string>{"save"});
  EXPECT_EQ(journal[1].text, "Pictures|*.jpg||");
}

TEST_F(DataSaveObjectTest, BlobSelectionLifeCycle) {
  const std::string kept = Write("kept.jpg", "1234");
  const std::string gone = Write("gone.jpg", "5");
  EXPECT_EQ(object_.Call("BlobSelected"), Variant::Boolean(false));
  object_.Call("SelectBlob", {"PHOTO", "T1", "a", "id", Variant(kept), "W"});
  object_.Call("SelectBlob", {"PHOTO", "T2", "b", "id", Variant(kept), "W"});
  ASSERT_EQ(object_.Logic().Selection().size(), 1u);
  EXPECT_NE(object_.Logic().Selection().at(kept).find("TableID=T2"), std::string::npos);
  EXPECT_EQ(object_.Call("BlobSelected"), Variant::Boolean(true));
  object_.Call("CleanUpNoDelete");
  EXPECT_EQ(object_.Call("BlobSelected"), Variant::Boolean(false));
  EXPECT_TRUE(std::filesystem::exists(kept));

  object_.Call("SelectBlob", {"PHOTO", "T1", "", "", Variant(gone), "W"});
  object_.Call("CleanUp");
  EXPECT_EQ(object_.Call("BlobSelected"), Variant::Boolean(false));
  EXPECT_FALSE(std::filesystem::exists(gone));
  EXPECT_TRUE(object_.Logic().Selection().empty());
}

}  // namespace
}  // namespace lumbra::testing
