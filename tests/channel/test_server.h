#pragma once
// A channel server whose answers a test sets: items to serve, a delay or a refusal for each
// kind of transaction, and advise data to push while an execute is being handled.
#include <atomic>
#include <chrono>
#include <cctype>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/channel/dde_server.h"

namespace lumbra::testing {

class TestServerHandler : public DdeServerHandler {
 public:
  std::mutex mutex;
  std::map<std::string, std::string> items;
  std::vector<std::string> executed;
  std::atomic<DdeError> execute_error{DdeError::None};
  std::atomic<DdeError> request_error{DdeError::None};
  std::atomic<DdeError> advise_error{DdeError::None};
  std::atomic<int> execute_delay_ms{0};
  std::atomic<int> request_delay_ms{0};
  std::atomic<int> advise_delay_ms{0};
  std::atomic<DdeServer*> server{nullptr};
  std::string push_on_execute;  // pushed as "Status" advise data before the execute is answered

  void SetItem(const std::string& item, const std::string& data) {
    std::lock_guard lock(mutex);
    items[item] = data;
  }
  void PushOnExecute(const std::string& data) {
    std::lock_guard lock(mutex);
    push_on_execute = data;
  }

  bool AcceptTopic(std::string_view topic) override {
    std::string lower(topic);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "production";
  }

  DdeError Execute(std::string_view command) override {
    std::string push;
    int delay = 0;
    DdeError error;
    {
      std::lock_guard lock(mutex);
      executed.emplace_back(command);
      push = push_on_execute;
      delay = execute_delay_ms;
      error = execute_error;
    }
    if (DdeServer* target = server.load(); !push.empty() && target != nullptr) target->Advise("Status", push);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    return error;
  }

  Answer Request(std::string_view item, std::uint32_t) override {
    int delay;
    Answer answer;
    {
      std::lock_guard lock(mutex);
      delay = request_delay_ms;
      answer.error = request_error;
      auto found = items.find(std::string(item));
      if (found != items.end()) answer.data = found->second;
      else if (answer.error == DdeError::None) answer.error = DdeError::NotProcessed;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    return answer;
  }

  DdeError AdviseStart(std::string_view, std::uint32_t) override {
    int delay;
    DdeError error;
    {
      std::lock_guard lock(mutex);
      delay = advise_delay_ms;
      error = advise_error;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    return error;
  }
};

}  // namespace lumbra::testing
