// End to end: the production link drives kestrix-sim started as a process, as the controls do.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <nlohmann/json.hpp>
#include <thread>

#include "card_picture.h"
#include "platform/base/registry.h"
#include "platform/base/services.h"
#include "platform/process/launcher.h"
#include "platform/process/window_table.h"
#include "platform/ui/scripted_ui.h"
#include "production/launcher.h"
#include "production/production_link.h"

namespace lumbra {
namespace {

class KestrixEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* temp = std::getenv("TEMP")) saved_temp_ = temp;
    std::string pattern = (std::filesystem::temp_directory_path() / "lumbra-kx-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    layout_.root = pattern;
    layout_.EnsureCreated();
    data_ = layout_.root / "drive_c" / "KX";
    std::filesystem::create_directories(data_ / "links");
    std::filesystem::create_directories(data_ / "cards");
    std::filesystem::create_directories(layout_.root / "temp");
    std::filesystem::create_symlink(KESTRIX_SIM_PATH, data_ / "KX.exe");
    std::ofstream(data_ / "links" / "BADGE.LNK") << "[PHOTO]\nFieldType=2\nCardName=FRONT\n";
    std::ofstream(data_ / "cards" / "FRONT.CDF") << "[Card]\nBMPFileName=logo.bmp\n";
    std::ofstream(layout_.SystemDir() / "kx.ini") << "[SYSTEM]\nKXDataPath=C:\\KX\n[DDE]\nKXServerDDETimeout=3000\n";
    ::setenv("LUMBRA_ROOT", layout_.root.c_str(), 1);
    ::setenv("TEMP", (layout_.root / "temp").c_str(), 1);
    files_ = std::make_unique<FileSystem>(layout_.root);
    registry_ = std::make_unique<Registry>(layout_.RegistryDir());
    services_ = std::make_unique<Services>(Services{layout_, *files_, *registry_, clock_, ui_});
  }

  void TearDown() override {
    // A simulator left behind by a failed test is ended here.
    for (const auto& window : WindowTable(layout_.RunDir() / "windows").List()) {
      if (window.pid != ::getpid()) ::kill(window.pid, SIGTERM);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::filesystem::remove_all(layout_.root);
    // The standard library takes its temporary folder from TEMP too.
    if (saved_temp_) ::setenv("TEMP", saved_temp_->c_str(), 1);
    else ::unsetenv("TEMP");
  }

  void Settings(const std::string& text) { std::ofstream(data_ / "kestrix-sim.ini") << text; }

  std::unique_ptr<ProductionLink> Link(ProductionLinkOptions options) {
    auto link = std::make_unique<ProductionLink>(*services_, std::move(options));
    std::string user, password;
    LaunchCommand launch = BuildLaunchCommand(*services_, layout_.SystemFolder(), user, password);
    link->SetCommandLine(launch.command_line);
    link->SetTimeLimit(ReadLinkTimeout(*services_, layout_.SystemFolder()));
    return link;
  }

  // As the print runs do: start it, else reattach to one that runs.
  static bool Reach(ProductionLink& link) {
    if (!link.InitialiseLink()) return false;
    return link.StartApplication() || link.ReconnectLink();
  }

  pid_t ApplicationPid() {
    auto window = WindowTable(layout_.RunDir() / "windows").FindByTitle(kProductionWindowTitle);
    return window ? window->pid : 0;
  }

  static bool Ended(pid_t pid) {
    for (int i = 0; i < 300 && ProcessAlive(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !ProcessAlive(pid);
  }

  std::optional<std::string> saved_temp_;
  RootLayout layout_;
  std::filesystem::path data_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<Registry> registry_;
  RealClock clock_;
  ScriptedUi ui_;
  std::unique_ptr<Services> services_;
};

TEST_F(KestrixEndToEnd, PrintsACardAndStopsTheApplicationItStarted) {
  Settings("[Login]\nUser=ZIDEZ\nPassword=ZIDEZ\n[Print]\nDurationMs=300\n");
  ASSERT_TRUE(kestrix::WriteCapturedPhoto("PHOTO", data_ / "newphoto.jpg"));
  auto link = Link(ProductionLinkOptions::PrintControl());
  ASSERT_TRUE(Reach(*link));
  EXPECT_TRUE(link->StartedHere());
  pid_t pid = ApplicationPid();
  ASSERT_NE(pid, 0);

  EXPECT_TRUE(link->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_EQ(link->LastResultText(), "OK");
  EXPECT_TRUE(link->ExecuteCommand("[FILLFIELD(\"NAME\",\"O''BRIEN, ANN\")]"));
  EXPECT_TRUE(link->ExecuteCommand("[FILLFIELD(PHOTO,\"C:\\KX\\NEWPHOTO.JPG\")]"));
  EXPECT_TRUE(link->ExecuteCommand("[SHOWPREVIEW(10,20,TRUE)]"));
  EXPECT_TRUE(WindowTable(layout_.RunDir() / "windows").FindByTitle("Preview"));
  EXPECT_TRUE(link->ExecuteCommand("[HIDEPREVIEW(TRUE)] "));
  EXPECT_FALSE(WindowTable(layout_.RunDir() / "windows").FindByTitle("Preview"));
  EXPECT_TRUE(link->ExecuteCommand("[DOPRINT(TRUE,FALSE)]"));
  EXPECT_EQ(link->LastResultText(), "PRINTED");
  EXPECT_TRUE(ui_.MessageTexts().empty());

  std::ifstream in(data_ / "output" / "card-0001.json");
  ASSERT_TRUE(in);
  auto record = nlohmann::json::parse(in);
  EXPECT_EQ(record["link"], "BADGE");
  EXPECT_EQ(record["card"], "FRONT.CDF");
  EXPECT_EQ(record["operator"], "ZIDEZ");
  EXPECT_EQ(record["print_dialog"], true);
  EXPECT_EQ(record["fields"]["NAME"], "O''BRIEN, ANN");
  EXPECT_NE(record["photo"].get<std::string>().find("newphoto.jpg"), std::string::npos);
  EXPECT_GT(std::filesystem::file_size(data_ / "output" / "card-0001.png"), 1000u);

  EXPECT_TRUE(link->StopApplication());
  EXPECT_TRUE(Ended(pid));
  EXPECT_FALSE(ApplicationPid());
  EXPECT_TRUE(ui_.MessageTexts().empty()) << "[DESTROYKX] is acknowledged before the application ends";
}

TEST_F(KestrixEndToEnd, WrongLoginStartsNothing) {
  Settings("[Login]\nUser=CLERK\n");
  auto link = Link(ProductionLinkOptions::PrintControl());
  EXPECT_FALSE(Reach(*link));
}

TEST_F(KestrixEndToEnd, CommandFaultsReachTheOperatorAsChannelErrors) {
  Settings("[Faults]\nRefuseCommand=FILLFIELD\nBusyCommand=SHOWPREVIEW\nDelayCommand=DOPRINT\nDelayMs=1500\n");
  auto link = Link(ProductionLinkOptions::PrintControl());
  link->SetTimeLimit(300);
  ASSERT_TRUE(Reach(*link));
  EXPECT_FALSE(link->ExecuteCommand("[STARTCARD(NOSUCHLINK)]"));
  EXPECT_TRUE(link->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_FALSE(link->ExecuteCommand("[FILLFIELD(NAME,\"A\")]"));
  EXPECT_FALSE(link->ExecuteCommand("[SHOWPREVIEW(1,2,TRUE)]"));
  EXPECT_FALSE(link->ExecuteCommand("[DOPRINT(FALSE,FALSE)]"));
  // The application answers one command at a time: the next one waits for the slow one.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  // The late acknowledgement of DOPRINT must not be taken for the next command's answer.
  EXPECT_TRUE(link->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_EQ(ui_.MessageTexts(), (std::vector<std::string>{
                                    "DMLERR_NOTPROCESSED: Invalid command", "DMLERR_NOTPROCESSED: Invalid command",
                                    "DMLERR_BUSY : DESTROYKX is unable to be completed",
                                    "DMLERR_EXEACKTIMEOUT: DDE command timed out"}));
}

TEST_F(KestrixEndToEnd, PrinterFaultIsShownAndNothingIsRecorded) {
  Settings("[Print]\nDurationMs=100\nResult=PRINTER OUT OF RIBBON\n");
  auto link = Link(ProductionLinkOptions::PrintControl());
  ASSERT_TRUE(Reach(*link));
  ASSERT_TRUE(link->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_TRUE(link->ExecuteCommand("[DOPRINT(FALSE,FALSE)]"));
  EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"PRINTER OUT OF RIBBON"});
  EXPECT_FALSE(std::filesystem::exists(data_ / "output" / "card-0001.json"));
  EXPECT_TRUE(link->StopApplication());
}

TEST_F(KestrixEndToEnd, ApplicationThatDiesDuringAPrintIsReportedAndReplaced) {
  Settings("[Print]\nDurationMs=400\n[Faults]\nDieDuringPrint=1\n");
  auto link = Link(ProductionLinkOptions::PrintControl());
  ASSERT_TRUE(Reach(*link));
  pid_t first = ApplicationPid();
  ASSERT_TRUE(link->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_FALSE(link->ExecuteCommand("[DOPRINT(FALSE,FALSE)]"));
  EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"DMLERR_SERVER_DIED"});
  EXPECT_TRUE(Ended(first));

  // Its socket and window entry are left behind; a new start must see through both.
  Settings("[Print]\nDurationMs=100\n");
  EXPECT_TRUE(Reach(*link));
  pid_t second = ApplicationPid();
  EXPECT_NE(second, 0);
  EXPECT_NE(second, first);
  EXPECT_TRUE(link->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_TRUE(link->StopApplication());
}

TEST_F(KestrixEndToEnd, CapturesAPhotoIntoTemp) {
  Settings("[Capture]\nDurationMs=300\n");
  auto link = Link(ProductionLinkOptions::CaptureControl());
  ASSERT_TRUE(Reach(*link));
  pid_t pid = ApplicationPid();
  ASSERT_TRUE(link->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_TRUE(link->ExecuteCommand("[DOCAPTURE(\"EMPLOYEEPHOTO\")]"));
  EXPECT_TRUE(link->Succeeded());
  EXPECT_EQ(link->LastResultText(), "CAPTURE SUCCESSFUL");
  EXPECT_TRUE(link->ExecuteCommand("[GETFIELD(\"EMPLOYEEPHOTO\")]"));
  EXPECT_GT(std::filesystem::file_size(layout_.root / "temp" / "EMPLOYEE.jpg"), 1000u);
  EXPECT_TRUE(ui_.MessageTexts().empty());
  // Closed even when the first connect came too early and the link reattached to it.
  EXPECT_TRUE(link->StopApplication());
  EXPECT_TRUE(Ended(pid));
  EXPECT_TRUE(ui_.MessageTexts().empty());
}

TEST_F(KestrixEndToEnd, FailedCaptureIsSilentAndHandsOutNoImage) {
  Settings("[Capture]\nDurationMs=50\nResult=CAPTURE FAILED\nDevice=SIGNATURE PAD\n");
  auto link = Link(ProductionLinkOptions::CaptureControl());
  ASSERT_TRUE(Reach(*link));
  ASSERT_TRUE(link->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_TRUE(link->ExecuteCommand("[DOCAPTURE(\"SIGNATURE\")]"));
  EXPECT_FALSE(link->Succeeded());
  EXPECT_TRUE(ui_.MessageTexts().empty());
  EXPECT_FALSE(link->ExecuteCommand("[GETFIELD(\"SIGNATURE\")]"));
  EXPECT_FALSE(std::filesystem::exists(layout_.root / "temp" / "SIGNATUR.wmf"));
  EXPECT_TRUE(link->StopApplication());
}

}  // namespace
}  // namespace lumbra
