#include "production/production_link.h"

#include <algorithm>
#include <chrono>
#include <mutex>

#include "platform/base/registry.h"
#include "platform/base/services.h"
#include "platform/process/launcher.h"
#include "platform/process/window_table.h"
#include "platform/ui/user_interface.h"
#include "production/link_errors.h"

namespace lumbra {
namespace {

constexpr std::uint32_t kConnectWaitMs = 500;
constexpr std::uint32_t kAdviseStartLimitMs = 1000;

std::mutex advise_text_mutex;
std::string last_advise_text;

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool ContainsAny(std::string_view text, const std::vector<std::string>& parts) {
  return std::any_of(parts.begin(), parts.end(), [&](const std::string& part) { return Contains(text, part); });
}

std::string CutItemText(std::string_view data) {
  std::string text(data.substr(0, kMaxItemText));
  // The data is copied as a C string: it ends at its first zero byte.
  return text.substr(0, text.find('\0'));
}

}  // namespace

ProductionLink::ProductionLink(Services& services, ProductionLinkOptions options)
    : services_(services), options_(std::move(options)) {}

ProductionLink::~ProductionLink() = default;

std::string ProductionLink::LastAdviseText() {
  std::lock_guard lock(advise_text_mutex);
  return last_advise_text;
}

void ProductionLink::ClearLastAdviseText() {
  std::lock_guard lock(advise_text_mutex);
  last_advise_text.clear();
}

void ProductionLink::Show(const std::string& text) {
  MessageBoxRequest request;
  request.text = text;
  request.caption = options_.message_caption;
  request.buttons = Buttons::Ok;
  request.topmost = true;
  services_.ui.ShowMessage(request);
}

bool ProductionLink::InitialiseLink() {
  // A second start replaces the first instance; its conversation is closed with it.
  conversation_ = 0;
  client_ = std::make_unique<DdeClient>(services_.root.RunDir() / "dde");
  bool keep = options_.keep_advise_text;
  client_->Initialize([keep](const std::string&, std::uint32_t, const std::string& data) {
    if (!keep || data.empty()) return;
    std::lock_guard lock(advise_text_mutex);
    last_advise_text = CutItemText(data);
  });
  for (auto [handle, text] : {std::pair{&topic_, kProductionTopic}, {&service_, kProductionService},
                              {&result_item_, kResultItem}, {&status_item_, kStatusItem}}) {
    *handle = client_->CreateName(text);
    if (*handle == 0) return false;
  }
  initialised_ = true;
  return true;
}

bool ProductionLink::ConnectLink() {
  services_.clock.SleepMs(kConnectWaitMs);
  if (conversation_ != 0 || !client_) return false;
  conversation_ = client_->Connect(service_, topic_);
  if (conversation_ == 0) {
    client_->LastError();
    return false;
  }
  if (!client_->AdviseStart(conversation_, status_item_, kFormatText, true, kAdviseStartLimitMs)) {
    Show(options_.advise_failed_text);
    return false;
  }
  return true;
}

void ProductionLink::Disconnect() {
  if (conversation_ != 0 && client_) client_->Disconnect(conversation_);
  conversation_ = 0;
}

bool ProductionLink::ReconnectLink() {
  Disconnect();
  reattached_ = ConnectLink();
  return reattached_;
}

void ProductionLink::ReportLinkError() {
  DdeError error = client_ ? client_->LastError() : DdeError::DllNotInitialized;
  Show(MessageForLinkError(error).text);
}

bool ProductionLink::ExecuteCommand(std::string_view command) {
  command_ = std::string(command);
  return ExecuteCommand();
}

bool ProductionLink::ExecuteCommand() {
  status_ = kNotComplete;
  if (conversation_ == 0) ConnectLink();
  if (conversation_ == 0) {
    Show(options_.advise_failed_text);
    return false;
  }
  if (!client_->Execute(conversation_, command_, options_.execute_limit_ms.value_or(time_limit_ms_))) {
    ReportLinkError();
    return false;
  }
  if (Contains(command_, "DESTROY")) return true;
  bool polls = ContainsAny(command_, options_.poll_commands);
  if (options_.result_after_every_command || !polls) {
    auto result = client_->Request(conversation_, result_item_, kFormatText, options_.result_limit_ms);
    if (result) {
      status_ = CutItemText(*result);
      if (!polls) last_result_text_ = status_;
    } else if (options_.result_after_every_command) {
      Show(command_ + " DDE ERROR");
      ReportLinkError();
    }
  }
  if (!polls) return true;
  return PollStatus();
}

std::uint32_t ProductionLink::PollLimitMs() const {
  try {
    auto value = services_.registry.ReadValue(Hive::LocalMachine, kPollLimitKey, kPollLimitValue);
    if (value && value->AsNumber() != 0) return value->AsNumber();
  } catch (const RegistryError&) {
    // A damaged hive leaves the default in force; the registry's own users report it.
  }
  return kDefaultPollLimitMs;
}

bool ProductionLink::PollStatus() {
  NameHandle item = options_.poll_item == kResultItem ? result_item_ : status_item_;
  std::uint32_t limit = options_.poll_limit_ms.value_or(time_limit_ms_);
  std::uint32_t bound = PollLimitMs();
  // The bound counts the clock's time and real time, whichever is further on: the clock is
  // virtual in tests, and requests that time out take real time.
  std::uint64_t clock_start = services_.clock.NowMs();
  auto real_start = std::chrono::steady_clock::now();
  auto elapsed = [&] {
    auto real = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - real_start);
    return std::max<std::uint64_t>(services_.clock.NowMs() - clock_start, static_cast<std::uint64_t>(real.count()));
  };
  bool hides = !options_.hidden_window_text.empty() && Contains(command_, options_.capture_command);
  WindowTable windows(services_.root.RunDir() / "windows");
  bool first = true;
  bool finished = true;
  while (status_ == kNotComplete) {
    if (first && hides) {
      if (auto window = windows.FindContaining(options_.hidden_window_text)) windows.Hide(window->id);
    }
    first = false;
    if (auto data = client_->Request(conversation_, item, kFormatText, limit)) {
      status_ = CutItemText(*data);
      last_result_text_ = status_;
      if (options_.poll_pause_ms != 0) services_.clock.SleepMs(options_.poll_pause_ms);
    } else {
      DdeError error = client_->LastError();
      if (error == DdeError::ServerDied) {
        Show(MessageForLinkError(error).text);
        finished = false;
        break;
      }
    }
    if (status_ == kNotComplete && elapsed() >= bound) {
      Show("Kestrix still reports " + std::string(kNotComplete) + " after " + std::to_string(bound / 1000) +
           " seconds; the command is treated as failed.");
      finished = false;
      break;
    }
  }
  if (hides) {
    if (auto window = windows.FindContaining(options_.hidden_window_text)) windows.Show(window->id);
  }
  if (!finished) {
    succeeded_ = false;
    return false;
  }
  last_result_text_ = status_;
  succeeded_ = ContainsAny(last_result_text_, options_.success_texts);
  bool silent = !options_.silent_failure_text.empty() && last_result_text_ == options_.silent_failure_text;
  if (!succeeded_ && !silent) Show(last_result_text_);
  return true;
}

bool ProductionLink::ReachedOwnLaunch() const {
  if (launched_pid_ == 0) return false;
  auto window = WindowTable(services_.root.RunDir() / "windows").FindByTitle(kProductionWindowTitle);
  return window && window->pid == launched_pid_;
}

void ProductionLink::EndInstance() {
  Disconnect();
  client_.reset();
  topic_ = service_ = result_item_ = status_item_ = 0;
}

bool ProductionLink::StopApplication() {
  if (options_.stop_only_when_started_here) {
    if (!started_here_) return false;
    if (!ReconnectLink()) return false;
    if (reattached_ && !ExecuteCommand("[DESTROYKX]")) {
      Show("Failed to stop Kestrix");
      return false;
    }
  } else {
    if (conversation_ == 0) return false;
    if ((!reattached_ || ReachedOwnLaunch()) && !ExecuteCommand("[DESTROYKX]")) {
      Show("Failed to stop Kestrix");
      return false;
    }
  }
  EndInstance();
  initialised_ = false;
  return true;
}

bool ProductionLink::StartApplication() {
  WindowTable windows(services_.root.RunDir() / "windows");
  if (windows.FindByTitle(kProductionWindowTitle)) return false;
  LaunchResult launched = LaunchCommandLine(services_.files, command_line_);
  if (!launched.Started()) {
    if (options_.report_start_failure) Show("WinExec returned error:" + std::to_string(launched.code));
    return false;
  }
  started_here_ = true;
  launched_pid_ = launched.pid;
  return ConnectLink();
}

}  // namespace lumbra
