#include "platform/base/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "file_text.h"

namespace lumbra {
namespace {

constexpr std::string_view kLumbraKey = "Software\\Korvel\\Lumbra";

class RegistryTest : public ::testing::Test {
 protected:
  std::filesystem::path HiveFilePath(std::string_view hive) const {
    return folder_.Path() / (std::string(hive) + ".reg");
  }

  testing::TempRoot folder_;
  Registry registry_{folder_.Path()};
};

TEST_F(RegistryTest, ValuesPersistInTheHiveFileAndMatchWithoutCase) {
  registry_.SetValue(Hive::LocalMachine, kLumbraKey, "RequireImage", RegValue::Number(1));
  registry_.SetValue(Hive::LocalMachine, kLumbraKey, "DefaultPrinter", RegValue::Text("Card \xC9vo"));
  registry_.SetValue(Hive::LocalMachine, kLumbraKey, "", RegValue::Text("default"));

  const Registry other(folder_.Path());  // a second reader sees what is on disk
  EXPECT_TRUE(other.KeyExists(Hive::LocalMachine, "SOFTWARE\\korvel"));
  EXPECT_TRUE(other.KeyExists(Hive::LocalMachine, ""));
  EXPECT_FALSE(other.KeyExists(Hive::LocalMachine, "Software\\Korvel\\Lumbr"));
  EXPECT_FALSE(other.KeyExists(Hive::CurrentUser, kLumbraKey));
  EXPECT_EQ(other.ReadValue(Hive::LocalMachine, "software\\KORVEL\\lumbra", "requireimage")->AsNumber(), 1u);
  const auto printer = other.ReadValue(Hive::LocalMachine, kLumbraKey, "DEFAULTPRINTER");
  ASSERT_TRUE(printer);
  EXPECT_EQ(printer->type, RegType::String);
  EXPECT_EQ(printer->bytes, std::string("Card \xC9vo\0", 9));  // the size counts the zero byte
  EXPECT_EQ(other.ReadValue(Hive::LocalMachine, kLumbraKey, "")->AsText(), "default");
  EXPECT_FALSE(other.ReadValue(Hive::LocalMachine, kLumbraKey, "Missing"));

  const std::string file = ReadWholeFile(HiveFilePath("HKEY_LOCAL_MACHINE"));
  EXPECT_NE(file.find("[HKEY_LOCAL_MACHINE\\Software\\Korvel\\Lumbra]\n"), std::string::npos) << file;
  EXPECT_NE(file.find("\"RequireImage\"=dword:00000001\n"), std::string::npos) << file;
  EXPECT_NE(file.find("\"DefaultPrinter\"=\"Card \xC3\x89vo\"\n"), std::string::npos) << file;
}

TEST_F(RegistryTest, KeysAreCreatedListedAndDeletedWithTheirSubkeys) {
  registry_.CreateKey(Hive::ClassesRoot, "CLSID\\{1}\\InprocServer32");
  registry_.SetValue(Hive::ClassesRoot, "clsid\\{2}", "", RegValue::Text("two"));
  registry_.SetValue(Hive::ClassesRoot, "Ostrel.Ctrl", "", RegValue::Text("x"));
  registry_.SetValue(Hive::ClassesRoot, "Ostrel.Ctrl", "A", RegValue::Text("1"));
  registry_.SetValue(Hive::ClassesRoot, "Ostrel.Ctrl", "b", RegValue::Text("2"));
  registry_.SetValue(Hive::ClassesRoot, "Ostrel.Ctrl", "a", RegValue::Text("3"));  // replaces "A" in place

  EXPECT_EQ(registry_.SubKeys(Hive::ClassesRoot, ""), (std::vector<std::string>{"CLSID", "Ostrel.Ctrl"}));
  EXPECT_EQ(registry_.SubKeys(Hive::ClassesRoot, "CLSID"), (std::vector<std::string>{"{1}", "{2}"}));
  const auto values = registry_.Values(Hive::ClassesRoot, "Ostrel.Ctrl");
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[1].first, "A");
  EXPECT_EQ(values[1].second.AsText(), "3");

  EXPECT_TRUE(registry_.DeleteValue(Hive::ClassesRoot, "OSTREL.CTRL", "B"));
  EXPECT_FALSE(registry_.DeleteValue(Hive::ClassesRoot, "Ostrel.Ctrl", "B"));
  EXPECT_TRUE(registry_.DeleteKey(Hive::ClassesRoot, "clsid\\{1}"));
  EXPECT_FALSE(registry_.KeyExists(Hive::ClassesRoot, "CLSID\\{1}\\InprocServer32"));
  EXPECT_TRUE(registry_.KeyExists(Hive::ClassesRoot, "CLSID\\{2}"));
  EXPECT_FALSE(registry_.DeleteKey(Hive::ClassesRoot, "CLSID\\{1}"));
  EXPECT_FALSE(registry_.DeleteKey(Hive::ClassesRoot, ""));  // the hive itself stays
  EXPECT_TRUE(registry_.KeyExists(Hive::ClassesRoot, "Ostrel.Ctrl"));
}

TEST_F(RegistryTest, ExportAndImportCarryASubtreeAcrossRegistries) {
  registry_.SetValue(Hive::CurrentUser, "Software\\Korvel\\Lumbra\\Inner", "N", RegValue::Number(7));
  registry_.SetValue(Hive::CurrentUser, kLumbraKey, "T", RegValue::Text("t"));
  registry_.SetValue(Hive::CurrentUser, "Software\\Other", "X", RegValue::Text("not exported"));
  const std::string exported = registry_.Export(Hive::CurrentUser, kLumbraKey);
  EXPECT_EQ(exported.find("Other"), std::string::npos);
  EXPECT_THROW(registry_.Export(Hive::CurrentUser, "Software\\Missing"), RegistryError);

  testing::TempRoot other_folder;
  Registry other(other_folder.Path());
  other.SetValue(Hive::CurrentUser, kLumbraKey, "T", RegValue::Text("old"));
  other.Import(exported, "export.reg");
  EXPECT_EQ(other.ReadValue(Hive::CurrentUser, kLumbraKey, "T")->AsText(), "t");
  EXPECT_EQ(other.ReadValue(Hive::CurrentUser, "Software\\Korvel\\Lumbra\\Inner", "N")->AsNumber(), 7u);
  EXPECT_FALSE(other.KeyExists(Hive::CurrentUser, "Software\\Other"));
}

TEST_F(RegistryTest, ImportDeletesAndSpansHives) {
  registry_.SetValue(Hive::LocalMachine, "Software\\Old", "X", RegValue::Text("x"));
  registry_.SetValue(Hive::LocalMachine, "Software\\Keep", "Drop", RegValue::Text("x"));
  registry_.Import(
      "Windows Registry Editor Version 5.00\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\Old]\n"
      "[HKLM\\Software\\Keep]\n\"Drop\"=-\n\"New\"=dword:00000002\n"
      "[HKCU\\Software\\Korvel]\n@=\"user\"\n",
      "changes.reg");
  EXPECT_FALSE(registry_.KeyExists(Hive::LocalMachine, "Software\\Old"));
  EXPECT_FALSE(registry_.ReadValue(Hive::LocalMachine, "Software\\Keep", "Drop"));
  EXPECT_EQ(registry_.ReadValue(Hive::LocalMachine, "Software\\Keep", "New")->AsNumber(), 2u);
  EXPECT_EQ(registry_.ReadValue(Hive::CurrentUser, "Software\\Korvel", "")->AsText(), "user");
}

TEST_F(RegistryTest, AFaultyImportChangesNothing) {
  registry_.SetValue(Hive::LocalMachine, "Software\\A", "X", RegValue::Text("before"));
  const std::string before = ReadWholeFile(HiveFilePath("HKEY_LOCAL_MACHINE"));
  const std::vector<std::string> faulty = {
      "Windows Registry Editor Version 5.00\n[HKLM\\Software\\A]\n\"X\"=\"after\"\n[HKEY_NOWHERE\\B]\n",
      "Windows Registry Editor Version 5.00\n[HKLM\\Software\\A]\n\"X\"=\"after\"\n\"Y\"=dword:zz\n",
  };
  for (const std::string& text : faulty) {
    EXPECT_THROW(registry_.Import(text, "faulty.reg"), RegistryError) << text;
    EXPECT_EQ(ReadWholeFile(HiveFilePath("HKEY_LOCAL_MACHINE")), before);
  }
}

TEST_F(RegistryTest, ADamagedHiveIsReportedAndLeftAlone) {
  const std::string damaged = "Windows Registry Editor Version 5.00\n\n[HKEY_USERS\\A]\n\"X\"=dword:nonsense\n";
  folder_.Write("HKEY_USERS.reg", damaged);
  try {
    registry_.ReadValue(Hive::Users, "A", "X");
    FAIL() << "a damaged hive was read";
  } catch (const RegistryError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(HiveFilePath("HKEY_USERS").string() + ": line 4:"), std::string::npos) << message;
  }
  EXPECT_THROW(registry_.SetValue(Hive::Users, "A", "Y", RegValue::Number(1)), RegistryError);
  EXPECT_EQ(ReadWholeFile(HiveFilePath("HKEY_USERS")), damaged);

  // A section of another hive in this hive's file is damage too; other hives still work.
  folder_.Write("HKEY_USERS.reg", "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n");
  EXPECT_THROW(registry_.KeyExists(Hive::Users, "A"), RegistryError);
  registry_.SetValue(Hive::CurrentUser, "A", "Y", RegValue::Number(1));
  EXPECT_TRUE(registry_.KeyExists(Hive::CurrentUser, "A"));
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
  constexpr int kWriters = 2;
  constexpr int kValuesEach = 100;
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int status = 0;
      try {
        Registry own(folder_.Path());
        for (int i = 0; i < kValuesEach; ++i) {
          own.SetValue(Hive::LocalMachine, kLumbraKey, "W" + std::to_string(writer) + "_" + std::to_string(i),
                       RegValue::Number(static_cast<std::uint32_t>(i)));
        }
      } catch (...) {
        status = 1;
      }
      ::_exit(status);
    }
    children.push_back(pid);
  }
  // Meanwhile a reader must always find a whole file: the writers rename complete files.
  int reads = 0;
  for (bool running = true; running; ++reads) {
    ASSERT_NO_THROW(registry_.Values(Hive::LocalMachine, kLumbraKey));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    running = false;
    for (pid_t& child : children) {
      int status = 0;
      if (child > 0 && ::waitpid(child, &status, WNOHANG) == child) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
        child = 0;
      }
      running = running || child > 0;
    }
  }
  EXPECT_GT(reads, 0);
  const auto values = registry_.Values(Hive::LocalMachine, kLumbraKey);
  EXPECT_EQ(values.size(), static_cast<std::size_t>(kWriters * kValuesEach));
  for (int writer = 0; writer < kWriters; ++writer) {
    for (int i = 0; i < kValuesEach; ++i) {
      const auto value = registry_.ReadValue(Hive::LocalMachine, kLumbraKey,
                                             "w" + std::to_string(writer) + "_" + std::to_string(i));
      ASSERT_TRUE(value) << writer << "_" << i;
      EXPECT_EQ(value->AsNumber(), static_cast<std::uint32_t>(i));
    }
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
    EXPECT_EQ(entry.path().string().find(".new."), std::string::npos) << "left behind: " << entry.path();
  }
}

TEST(RegValueTest, TextAndNumberViews) {
  EXPECT_EQ(RegValue::Number(0x01020304).bytes, std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(RegValue::Text("ab").bytes, std::string("ab\0", 3));
  EXPECT_EQ((RegValue{RegType::Binary, std::string("x\0y", 3)}).AsText(), "x");
  EXPECT_EQ((RegValue{RegType::Binary, "\x05"}).AsNumber(), 5u);
  EXPECT_EQ(RegValue::Text("1234").AsNumber(), 0x34333231u);
}

TEST(HiveNameTest, LongAndShortNamesInAnyCase) {
  EXPECT_EQ(HiveFromName("HKLM"), Hive::LocalMachine);
  EXPECT_EQ(HiveFromName("hkey_local_machine"), Hive::LocalMachine);
  EXPECT_EQ(HiveFromName("HKCU"), Hive::CurrentUser);
  EXPECT_EQ(HiveFromName("HKEY_CLASSES_ROOT"), Hive::ClassesRoot);
  EXPECT_EQ(HiveFromName("hku"), Hive::Users);
  EXPECT_FALSE(HiveFromName("HKEY_CURRENT_CONFIG"));
  EXPECT_FALSE(HiveFromName(""));
  EXPECT_EQ(HiveName(Hive::Users), "HKEY_USERS");
}

}  // namespace
}  // namespace lumbra
