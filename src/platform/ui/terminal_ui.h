#pragma once
// The user interface for a person at a terminal: messages go to stderr, questions and dialogs
// are answered at the prompt. Without a terminal on stdin it takes the default answer and
// writes a journal line to stderr instead.
#include <cstdio>

#include "platform/ui/user_interface.h"

namespace lumbra {

class TerminalUi final : public UserInterface {
 public:
  TerminalUi();

  Answer ShowMessage(const MessageBoxRequest& request) override;
  std::optional<LoginAnswer> AskLogin(const LoginRequest& request) override;
  std::unique_ptr<ProgressWindow> OpenProgress(const std::string& title) override;
  std::optional<std::string> ChooseDevice(const DeviceChoiceRequest& request) override;
  void ShowAbout(const std::string& title, const std::string& text) override;
  std::optional<std::string> AskFile(const FileDialogRequest& request) override;
  std::optional<std::vector<std::string>> EditForm(const std::string& caption,
                                                   const std::vector<FormField>& fields) override;
  void EnableActiveWindow() override {}
  void DispatchPendingMessages() override {}

 private:
  bool interactive_;
};

}  // namespace lumbra
