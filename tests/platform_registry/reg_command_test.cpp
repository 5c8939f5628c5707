#include "platform/base/reg_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "file_text.h"

namespace lumbra {
namespace {

class RegCommandTest : public ::testing::Test {
 protected:
  struct Result {
    int code;
    std::string out;
    std::string err;
  };

  Result Run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunRegCommand(args, registry_, out, err);
    return {code, out.str(), err.str()};
  }

  testing::TempRoot folder_;
  Registry registry_{folder_.Path()};
};

TEST_F(RegCommandTest, AddThenQueryWithShortAndLongHiveNames) {
  EXPECT_EQ(Run({"add", "HKLM\\Software\\Korvel\\Lumbra", "/v", "CardCompletionTimeOut", "/t", "REG_DWORD", "/d",
                 "0x2a"}).code, 0);
  EXPECT_EQ(Run({"ADD", "hkey_local_machine\\Software\\Korvel\\Lumbra", "/V", "DefaultPrinter", "/d",
                 "Caf\xC3\xA9 Printer"}).code, 0);
  EXPECT_EQ(Run({"add", "HKLM\\Software\\Korvel\\Lumbra", "/ve", "/d", "def"}).code, 0);
  EXPECT_EQ(Run({"add", "HKLM\\Software\\Korvel\\Lumbra\\Sub"}).code, 0);
  EXPECT_EQ(Run({"add", "HKLM\\Software\\Korvel\\Lumbra", "/v", "Bin", "/t", "REG_BINARY", "/d", "0aFF"}).code, 0);

  EXPECT_EQ(registry_.ReadValue(Hive::LocalMachine, "Software\\Korvel\\Lumbra", "CardCompletionTimeOut")->AsNumber(),
            42u);
  EXPECT_EQ(registry_.ReadValue(Hive::LocalMachine, "Software\\Korvel\\Lumbra", "DefaultPrinter")->AsText(),
            "Caf\xE9 Printer");

  const Result all = Run({"query", "HKLM\\Software\\Korvel\\Lumbra"});
  EXPECT_EQ(all.code, 0);
  EXPECT_EQ(all.out,
            "\nHKEY_LOCAL_MACHINE\\Software\\Korvel\\Lumbra\n"
            "    CardCompletionTimeOut    REG_DWORD    0x2a\n"
            "    DefaultPrinter    REG_SZ    Caf\xC3\xA9 Printer\n"
            "    (Default)    REG_SZ    def\n"
            "    Bin    REG_BINARY    0AFF\n"
            "\nHKEY_LOCAL_MACHINE\\Software\\Korvel\\Lumbra\\Sub\n");
  const Result one = Run({"query", "HKEY_LOCAL_MACHINE\\software\\korvel\\lumbra", "/v", "defaultprinter"});
  EXPECT_EQ(one.out, "\nHKEY_LOCAL_MACHINE\\software\\korvel\\lumbra\n    defaultprinter    REG_SZ    Caf\xC3\xA9 Printer\n\n");
  EXPECT_NE(Run({"query", "HKCU", "/s"}).out.find("HKEY_CURRENT_USER"), std::string::npos);
}

TEST_F(RegCommandTest, DeleteValuesAndKeys) {
  registry_.SetValue(Hive::CurrentUser, "Software\\A\\B", "V", RegValue::Number(1));
  EXPECT_EQ(Run({"delete", "HKCU\\Software\\A\\B", "/v", "V"}).code, 0);
  EXPECT_FALSE(registry_.ReadValue(Hive::CurrentUser, "Software\\A\\B", "V"));
  EXPECT_EQ(Run({"delete", "HKCU\\Software\\A\\B", "/v", "V"}).code, 1);
  EXPECT_EQ(Run({"delete", "HKEY_CURRENT_USER\\Software\\A", "/f"}).code, 0);
  EXPECT_FALSE(registry_.KeyExists(Hive::CurrentUser, "Software\\A"));
  EXPECT_TRUE(registry_.KeyExists(Hive::CurrentUser, "Software"));
}

TEST_F(RegCommandTest, ExportRefusesToOverwriteWithoutYesAndImportsBack) {
  registry_.SetValue(Hive::ClassesRoot, "Tamsel.DownSize", "", RegValue::Text("DownSize Class"));
  const auto file = (folder_.Path() / "out.reg").string();
  EXPECT_EQ(Run({"export", "HKCR\\Tamsel.DownSize", file}).code, 0);
  const std::string exported = ReadWholeFile(file);
  EXPECT_NE(exported.find("[HKEY_CLASSES_ROOT\\Tamsel.DownSize]\n@=\"DownSize Class\""), std::string::npos);

  const Result again = Run({"export", "HKCR\\Tamsel.DownSize", file});
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.err.find("/y"), std::string::npos);
  EXPECT_EQ(Run({"export", "HKCR\\Tamsel.DownSize", file, "/y"}).code, 0);

  registry_.DeleteKey(Hive::ClassesRoot, "Tamsel.DownSize");
  const Result imported = Run({"import", file});
  EXPECT_EQ(imported.code, 0) << imported.err;
  EXPECT_EQ(registry_.ReadValue(Hive::ClassesRoot, "Tamsel.DownSize", "")->AsText(), "DownSize Class");
}

TEST_F(RegCommandTest, FaultsExitWithOneAndAClearMessage) {
  const auto missing = (folder_.Path() / "missing.reg").string();
  const auto damaged = (folder_.Path() / "damaged.reg").string();
  folder_.Write("damaged.reg", "Windows Registry Editor Version 5.00\n[HKLM\\A]\n\"V\"=dword:zz\n");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{}, "ERROR: Invalid syntax."},
      {{"frob"}, "Unknown operation"},
      {{"query"}, "ERROR: Invalid syntax."},
      {{"query", "HKLM\\A", "/v"}, "/v needs a value"},
      {{"query", "HKLM\\A", "/x"}, "Unknown switch /x"},
      {{"query", "HKLM\\Nope"}, "unable to find the specified registry key"},
      {{"add", "HKXX\\A"}, "Invalid key name"},
      {{"add", "HKLM\\A", "/v", "x", "/ve"}, "not both"},
      {{"add", "HKLM\\A", "/v", "x", "/v", "y"}, "given twice"},
      {{"add", "HKLM\\A", "/v", "x", "/t", "REG_DWORD", "/d", "abc"}, "Invalid REG_DWORD data"},
      {{"add", "HKLM\\A", "/v", "x", "/t", "REG_DWORD", "/d", "4294967296"}, "Invalid REG_DWORD data"},
      {{"add", "HKLM\\A", "/v", "x", "/t", "REG_BINARY", "/d", "abc"}, "Invalid REG_BINARY data"},
      {{"add", "HKLM\\A", "/v", "x", "/t", "REG_MULTI_SZ", "/d", "a"}, "Unsupported type REG_MULTI_SZ"},
      {{"delete", "HKLM"}, "a whole hive cannot be deleted"},
      {{"delete", "HKLM\\Nope"}, "unable to find"},
      {{"export", "HKLM\\Nope", missing}, "unable to find"},
      {{"export", "HKLM"}, "ERROR: Invalid syntax."},
      {{"import", missing}, "Cannot open the file"},
      {{"import", damaged}, "damaged.reg: line 3:"},
  };
  for (const Case& c : cases) {
    const Result result = Run(c.args);
    std::string joined;
    for (const auto& arg : c.args) joined += arg + ' ';
    EXPECT_EQ(result.code, 1) << joined;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << joined << "\n" << result.err;
    EXPECT_TRUE(result.out.empty()) << joined;
  }
  EXPECT_FALSE(registry_.KeyExists(Hive::LocalMachine, "A"));
  EXPECT_EQ(Run({"/?"}).code, 0);
}

}  // namespace
}  // namespace lumbra
