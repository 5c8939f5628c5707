#pragma once
// A data-save object on its own temporary workstation root, with a scripted UI and a
// recording site on 127.0.0.1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "datasave/data_save.h"
#include "platform/ui/scripted_ui.h"
#include "test_site.h"

namespace lumbra::testing {

class DataSaveTest : public ::testing::Test {
 protected:
  DataSaveTest() {
    root_.EnsureCreated();
    data_save_.properties.server_url = "127.0.0.1";
    data_save_.properties.port = site_.PortText();
  }
  ~DataSaveTest() override { std::filesystem::remove_all(root_.root); }

  static std::filesystem::path NewRoot() {
    return std::filesystem::temp_directory_path() /
           ("quorra-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  // A file below the root; returns its full path.
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = root_.root / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  std::vector<std::string> Messages() const { return ui_.MessageTexts(); }

  TestSite site_;
  RootLayout root_{NewRoot()};
  FileSystem files_{root_.root};
  Registry registry_{root_.RegistryDir()};
  VirtualClock clock_;
  ScriptedUi ui_;
  Services services_{root_, files_, registry_, clock_, ui_};
  DataSave data_save_{services_};
};

}  // namespace lumbra::testing
