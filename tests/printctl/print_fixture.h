#pragma once
// A workstation for the print control in the test process: a temporary root whose kx.ini names
// a production data folder, the services with a virtual clock and a scripted user interface, a
// lumbra-site on 127.0.0.1 serving a small site, and a production application on the command
// channel that records every command and answers as a printer would.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/registry.h"
#include "platform/base/services.h"
#include "platform/channel/dde_server.h"
#include "platform/ui/scripted_ui.h"
#include "printctl/ostrel_ctrl.h"
#include "test_site.h"

namespace lumbra::testing {

// Windows-1252 separators of the two field-list layouts.
inline constexpr char kPair[] = "\xA9-\xAE";
inline constexpr char kGroup[] = "\xA9\xAE-";
inline constexpr char kRecord[] = "<&KVPrintRecSep>";
inline constexpr char kSingleRecord[] = "\xB6";
inline constexpr char kSinglePair[] = "\xF0";

class RecordingProduction : public DdeServerHandler {
 public:
  bool AcceptTopic(std::string_view topic) override { return topic == "Production"; }
  DdeError Execute(std::string_view command) override;
  Answer Request(std::string_view item, std::uint32_t format) override;
  DdeError AdviseStart(std::string_view, std::uint32_t) override { return DdeError::None; }

  std::vector<std::string> Commands();
  // A command containing this text is refused.
  void Refuse(std::string text);

 private:
  std::mutex mutex_;
  std::vector<std::string> commands_;
  std::string refuse_;
};

class PrintFixture : public ::testing::Test {
 protected:
  PrintFixture();
  ~PrintFixture() override;

  // The control, created on first use (after the test has set up registry and files).
  COstrelCtrl& Control();
  void DestroyControl() { control_.reset(); }
  // Sets the properties every page sets: server, port, the list.
  void PreparePrint(std::string_view field_info_list);
  void Put(std::string_view name, std::string_view ansi_value);
  std::string Get(std::string_view name);

  // A file of the site, written as Windows-1252 bytes with CR LF line ends.
  void PutSiteFile(const std::string& relative, std::string_view text) const;
  // Paths the site was asked for, in order ("/kx/cards/BADGE.CDF", "/photo.asp?tableid=...").
  std::vector<std::string> Requests(std::size_t at_least = 0) const;
  std::size_t RequestCount(std::string_view path) const;

  std::vector<std::string> Commands() { return production_.Commands(); }
  std::vector<std::string> Messages() const { return ui_.MessageTexts(); }

  // The production data folder, as the control names it, and as a host path.
  std::string DataFolder() const { return data_folder_.string(); }
  std::filesystem::path DataPath(const std::string& relative) const { return data_folder_ / relative; }
  std::filesystem::path SystemPath(const std::string& name) const { return layout_.SystemDir() / name; }

  void SetSetting(const char* name, std::uint32_t value);

  TempFolder root_folder_;
  RootLayout layout_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<Registry> registry_;
  VirtualClock clock_;
  ScriptedUi ui_;
  std::unique_ptr<Services> services_;
  TestSite site_;
  RecordingProduction production_;
  std::unique_ptr<DdeServer> server_;
  std::filesystem::path data_folder_;
  std::shared_ptr<COstrelCtrl> control_;
};

}  // namespace lumbra::testing
