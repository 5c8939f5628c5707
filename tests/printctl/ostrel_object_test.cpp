// The control object: its interface in dispatch order, setter rules, settings, credential
// reads, the dialogs, and what DoAPrint does when there is nothing to print with.
#include <fstream>

#include "print_fixture.h"
#include "printserver/print_server_registry.h"

namespace lumbra::testing {
namespace {

using ObjectTest = PrintFixture;

TEST_F(ObjectTest, PropertiesAndMethodsKeepTheirDispatchPositions) {
  const char* names[] = {"CardName", "LinkName", "FieldInfoList", "UrlInfo", "DLLVERSION", "ServerURL",
                         "KXInstalled", "LinkInfo", "UserID", "PORT", "GETBLOB", "KXUserName", "KXPassword",
                         "UserPassword", "ShowPrintDialog", "PrintPreview", "X", "Y", "DefaultPrinter",
                         "OverRidePrint", "PrintStatus", "bPrintFlag", "bEncodeFlag", "DoAPrint", "GetUserName",
                         "GetPassWord"};
  const DispatchTable& table = Control().Dispatch();
  for (DispId id = 1; id <= 26; ++id) EXPECT_EQ(table.NameOfId(id), names[id - 1]) << id;
  EXPECT_EQ(table.IdOfName("DoClick"), -601);
  EXPECT_EQ(table.IdOfName("AboutBox"), -552);
}

TEST_F(ObjectTest, ConstructionFindsTheApplicationAndSetsTheDefaults) {
  EXPECT_TRUE(Control().Get("KXInstalled").ToBool());
  EXPECT_EQ(Get("KXUserName"), "ZIDEZ");
  EXPECT_EQ(Get("KXPassword"), "ZIDEZ");
  EXPECT_EQ(Get("X"), "200");
  EXPECT_EQ(Get("Y"), "200");
  EXPECT_EQ(Control().Get("PrintStatus").ToI4(), 1);
  EXPECT_TRUE(Control().Get("bPrintFlag").ToBool());
  EXPECT_TRUE(Control().Get("bEncodeFlag").ToBool());
  EXPECT_FALSE(Control().Get("ShowPrintDialog").ToBool());
  EXPECT_EQ(Control().ProductionDataFolder(), DataFolder());
  EXPECT_EQ(Control().SystemFolder().back(), '\\');
  EXPECT_EQ(Control().Link().CommandLine(), DataFolder() + "\\KX.exe -I -NZIDEZ -PZIDEZ -S");
  // Registry key absent: the settings keep their defaults.
  EXPECT_EQ(Control().Settings().GetCardsFromServer, 1u);
  EXPECT_EQ(Control().Settings().RequireImage, 0u);
  EXPECT_EQ(Get("DefaultPrinter"), "");
}

TEST_F(ObjectTest, SettingsComeFromTheRegistryWhateverTheirStoredType) {
  SetSetting("GetCardsFromServer", 0);
  registry_->SetValue(Hive::LocalMachine, kControlSettingsKey, "RequireImage", RegValue{RegType::Binary, "\x02\0\0\0"});
  registry_->SetValue(Hive::LocalMachine, kControlSettingsKey, "DefaultPrinter", RegValue::Text("Card Printer 3"));
  EXPECT_EQ(Control().Settings().GetCardsFromServer, 0u);
  EXPECT_EQ(Control().Settings().RequireImage, 2u);
  EXPECT_EQ(Control().Settings().CardCompletionStatusOn, 0u);
  EXPECT_EQ(Get("DefaultPrinter"), "Card Printer 3");
}

TEST_F(ObjectTest, SetterRules) {
  Put("LinkName", "Badges/FRONT.LNK");
  EXPECT_EQ(Get("LinkName"), "FRONT.LNK");
  EXPECT_EQ(Control().ProjectName(), "Badges");
  Put("LinkName", "BACK");
  EXPECT_EQ(Get("LinkName"), "BACK");
  EXPECT_EQ(Control().ProjectName(), "");

  Put("LinkInfo", "anything");
  EXPECT_EQ(Get("LinkInfo"), "");

  Control().Put("OverRidePrint", Variant(std::int32_t{5}));
  EXPECT_EQ(Control().Get("OverRidePrint").ToI4(), 1);

  Put("KXUserName", "clerk");
  EXPECT_EQ(Get("KXUserName"), "clerk");
  EXPECT_EQ(Get("UserID"), "");
  // The command line was made at construction and keeps its login.
  EXPECT_NE(Control().Link().CommandLine().find("-NZIDEZ"), std::string::npos);

  const int repaints = Control().RepaintRequests();
  Put("UrlInfo", "x");
  EXPECT_EQ(Control().RepaintRequests(), repaints);
  Put("FieldInfoList", "x");
  Put("UserID", "x");
  Put("UserPassword", "x");
  EXPECT_EQ(Control().RepaintRequests(), repaints + 3);
  EXPECT_TRUE(Control().IsModified());
}

TEST_F(ObjectTest, TextCrossesTheInterfaceAsUtf8) {
  Control().Put("CardName", Variant(std::string("Jos\xC3\xA9.CDF")));
  EXPECT_EQ(Control().Get("CardName").ToText(), "Jos\xC3\xA9.CDF");
}

TEST_F(ObjectTest, WithoutThePrintServerOrTheApplicationNothingPrints) {
  std::filesystem::remove(SystemPath("kx.ini"));
  EXPECT_FALSE(Control().Get("KXInstalled").ToBool());
  EXPECT_EQ(Get("KXUserName"), "");
  PreparePrint("NAME=A");
  Control().Put("PrintStatus", Variant(std::int16_t{0}));
  Control().Call("DoAPrint");
  EXPECT_EQ(Control().Get("PrintStatus").ToI4(), 1);
  EXPECT_TRUE(Requests().empty());
  EXPECT_TRUE(ui_.Journal().empty());
}

TEST_F(ObjectTest, PrintServerModeTakesTheProjectsFolder) {
  registry_->CreateKey(Hive::ClassesRoot, "Korvel.PrintServer.Input\\CLSID");
  registry_->SetValue(Hive::LocalMachine, "Software\\Korvel\\Carvix\\Directories", "Projects",
                      RegValue::Text("C:\\Carvix\\Projects"));
  EXPECT_TRUE(PrintServerRegistered(*registry_));
  EXPECT_EQ(Control().DesignProjectsFolder(), "C:\\Carvix\\Projects\\");
  EXPECT_TRUE(Control().Link().CommandLine().empty());
  EXPECT_TRUE(Control().Get("KXInstalled").ToBool());
  EXPECT_EQ(Get("KXUserName"), "");
}

TEST_F(ObjectTest, ProjectsFolderIsEmptyWithoutItsValue) { EXPECT_EQ(ReadProjectsFolder(*registry_), ""); }

TEST_F(ObjectTest, ReadingThePasswordChecksTheLoginReadingTheUserDoesNot) {
  TestSite guarded({.users = "clerk:pw\n", .tls_host = ""});
  guarded.Put("ostrel/ostrel.ini", "[TYPEFIELD]\r\n");
  Put("ServerURL", "127.0.0.1");
  Put("PORT", std::to_string(guarded.Port()));
  EXPECT_EQ(Get("UserID"), "");
  EXPECT_TRUE(ui_.Journal().empty());

  ui_.Queue("login clerk pw");
  EXPECT_EQ(Get("UserPassword"), "pw");
  EXPECT_EQ(Get("UserID"), "clerk");
  EXPECT_EQ(Control().Call("GetUserName").ToText(), "clerk");
  ASSERT_EQ(ui_.Journal().size(), 1u);
  EXPECT_EQ(ui_.Journal()[0].kind, "login");
  EXPECT_EQ(ui_.Journal()[0].caption, "Enter Network Password");
}

TEST_F(ObjectTest, CancelledLoginLeavesTheNamesEmpty) {
  TestSite guarded({.users = "clerk:pw\n", .tls_host = ""});
  Put("ServerURL", "127.0.0.1");
  Put("PORT", std::to_string(guarded.Port()));
  ui_.Queue("cancel");
  EXPECT_EQ(Control().Call("GetPassWord").ToText(), "");
  EXPECT_EQ(Control().Call("GetUserName").ToText(), "");  // unanswered: the default is Cancel
}

TEST_F(ObjectTest, DialogsOfTheControl) {
  Put("DLLVERSION", "/employee.asp");
  Control().Call("DoClick");
  Control().Call("AboutBox");
  ASSERT_EQ(ui_.Journal().size(), 2u);
  EXPECT_EQ(ui_.Journal()[0].text, "/employee.asp");
  EXPECT_EQ(ui_.Journal()[1].kind, "about");
  EXPECT_EQ(ui_.Journal()[1].caption, "About Ostrel Control");
  EXPECT_EQ(ui_.Journal()[1].text, "Ostrel Control, Version 9.2");
}

TEST_F(ObjectTest, PropertiesVerbEditsTheFiveFields) {
  ui_.Queue("form /emp.asp|cards.example|0|/u|NAME=B");
  Control().Call("Properties");
  ASSERT_EQ(ui_.Journal().size(), 1u);
  EXPECT_EQ(ui_.Journal()[0].kind, "form");
  EXPECT_EQ(ui_.Journal()[0].caption, "General");
  EXPECT_EQ(Get("DLLVERSION"), "/emp.asp");
  EXPECT_EQ(Get("ServerURL"), "cards.example");
  EXPECT_FALSE(Control().Get("KXInstalled").ToBool());
  EXPECT_EQ(Get("UrlInfo"), "/u");
  EXPECT_EQ(Get("FieldInfoList"), "NAME=B");
}

TEST_F(ObjectTest, DestructionDeletesTheDownloadedFiles) {
  PutSiteFile("kx/links/EVENT.LNK", "[Link]\nCardName=BADGE\nEventDll=HOOK.DLL\n");
  PutSiteFile("kx/handlers/HOOK.DLL", "MZ");
  PutSiteFile("kx/handlers/HOOK.INI", "[x]\n");
  PreparePrint(std::string("LINKFILENAME=EVENT") + kPair + "NAME=A");
  Control().DoAPrint();
  ASSERT_EQ(Control().DownloadedFiles().size(), 2u);  // the handler and the bitmap
  EXPECT_TRUE(std::filesystem::exists(DataPath("handlers/HOOK.DLL")));
  EXPECT_TRUE(std::filesystem::exists(DataPath("bitmap/LOGO.BMP")));
  DestroyControl();
  EXPECT_FALSE(std::filesystem::exists(DataPath("handlers/HOOK.DLL")));
  EXPECT_FALSE(std::filesystem::exists(DataPath("bitmap/LOGO.BMP")));
}

}  // namespace
}  // namespace lumbra::testing
