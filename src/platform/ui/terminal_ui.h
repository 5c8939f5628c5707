#pragma once
// The user interface for a person at a terminal: messages go to stderr, questions and dialogs
// are answered at the prompt. Without a terminal on stdin it takes the default answer and
// writes a journal line to stderr instead.
#include <cstdio>
#include <iosfwd>

#include "platform/ui/user_interface.h"

namespace lumbra {

struct JournalEntry;

class TerminalUi final : public UserInterface {
 public:
  TerminalUi();
  // Reads answers from in and writes to out; interactive says whether a person answers.
  // The password is masked when in is a terminal.
  TerminalUi(std::istream& in, std::ostream& out, bool interactive);

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
  // A line typed by the person, UTF-8 converted to Windows-1252; nullopt at end of input.
  std::optional<std::string> Prompt(const std::string& question, bool masked = false);
  // Without a person: the entry goes to the journal line and the default is taken.
  void JournalUnanswered(const JournalEntry& entry);

  std::istream* in_;
  std::ostream* out_;
  bool interactive_;
};

}  // namespace lumbra
