#pragma once
// A workstation root in a temporary folder with the services a link needs (virtual clock,
// scripted user interface) and a production application on the channel whose answers the
// test scripts: the result of each command, the sequence of status texts, refusals, and a
// point at which it dies.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/registry.h"
#include "platform/base/services.h"
#include "platform/channel/dde_server.h"
#include "platform/ui/scripted_ui.h"

namespace lumbra::testing {

class ScriptedProduction : public DdeServerHandler {
 public:
  std::mutex mutex;
  std::vector<std::string> commands;
  std::deque<std::string> results{"OK"};      // CommandResult answers; the last one repeats
  std::deque<std::string> statuses{"PRINTED"};  // KestrixStatus answers; the last one repeats
  int result_requests = 0;
  int status_requests = 0;
  std::string refuse_containing;  // an execute containing this is refused with refusal
  DdeError refusal = DdeError::NotProcessed;
  DdeError advise_refusal = DdeError::None;
  bool no_result = false;               // CommandResult requests are refused
  std::function<void()> on_poll;        // called at every request of a polled item
  int die_after_polls = 0;              // stop serving after this many polls (0: never)
  std::function<void()> die;

  bool AcceptTopic(std::string_view topic) override { return topic == "Production"; }
  DdeError Execute(std::string_view command) override {
    std::lock_guard lock(mutex);
    commands.emplace_back(command);
    if (!refuse_containing.empty() && command.find(refuse_containing) != std::string_view::npos) return refusal;
    return DdeError::None;
  }
  Answer Request(std::string_view item, std::uint32_t) override {
    std::function<void()> hook;
    Answer answer;
    {
      std::lock_guard lock(mutex);
      bool status = item == "KestrixStatus";
      int& count = status ? status_requests : result_requests;
      ++count;
      if (!status && no_result) return {DdeError::NotProcessed, ""};
      std::deque<std::string>& queue = status ? statuses : results;
      answer.data = queue.front();
      if (queue.size() > 1) queue.pop_front();
      hook = on_poll;
      if (die_after_polls != 0 && count >= die_after_polls && die) {
        die_after_polls = 0;  // once: the polls that follow meet a server that is going away
        die();
        return {DdeError::NotProcessed, ""};
      }
    }
    if (hook) hook();
    return answer;
  }
  DdeError AdviseStart(std::string_view, std::uint32_t) override { return advise_refusal; }

  std::vector<std::string> Commands() {
    std::lock_guard lock(mutex);
    return commands;
  }
};

class LinkFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumbra-link-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    layout_.root = pattern;
    layout_.EnsureCreated();
    files_ = std::make_unique<FileSystem>(layout_.root);
    registry_ = std::make_unique<Registry>(layout_.RegistryDir());
    services_ = std::make_unique<Services>(Services{layout_, *files_, *registry_, clock_, ui_});
    server_ = std::make_unique<DdeServer>(layout_.RunDir() / "dde", "Kestrix", production_);
    // Dying is closing every conversation; it cannot be done on the connection's own thread.
    production_.die = [this] { killer_ = std::thread([this] { server_->Stop(); }); };
  }
  void StartServer() {
    std::string error;
    ASSERT_TRUE(server_->Start(error)) << error;
  }
  void TearDown() override {
    if (killer_.joinable()) killer_.join();
    server_.reset();
    std::filesystem::remove_all(layout_.root);
  }

  RootLayout layout_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<Registry> registry_;
  VirtualClock clock_;
  ScriptedUi ui_;
  std::unique_ptr<Services> services_;
  ScriptedProduction production_;
  std::unique_ptr<DdeServer> server_;
  std::thread killer_;
};

}  // namespace lumbra::testing
