#pragma once
// A user interface for fuzzing: it answers nothing and only counts the messages, so memory
// stays flat over millions of runs.
#include <cstddef>

#include "platform/ui/user_interface.h"

namespace lumbra {

class SilentUi final : public UserInterface {
 public:
  std::size_t Messages() const { return messages_; }

  Answer ShowMessage(const MessageBoxRequest& request) override;
  std::optional<LoginAnswer> AskLogin(const LoginRequest&) override { return std::nullopt; }
  std::unique_ptr<ProgressWindow> OpenProgress(const std::string&) override { return nullptr; }
  std::optional<std::string> ChooseDevice(const DeviceChoiceRequest&) override { return std::nullopt; }
  void ShowAbout(const std::string&, const std::string&) override {}
  std::optional<std::string> AskFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::vector<std::string>> EditForm(const std::string&, const std::vector<FormField>&) override {
    return std::nullopt;
  }
  void EnableActiveWindow() override {}
  void DispatchPendingMessages() override {}

 private:
  std::size_t messages_ = 0;
};

}  // namespace lumbra
