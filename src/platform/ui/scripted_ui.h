#pragma once
// A user interface that answers from a queue and keeps a journal of everything shown.
// Tests and the script host use it.
//
// Answers, one per question or dialog, in order (an OK-only message box, an about box and a
// progress window ask nothing and take none):
//   "yes" | "no" | "ok" | "cancel"       message boxes with a choice
//   "login USER PASSWORD" | "cancel"     the login dialog (either part may be empty: "login  pw")
//   "choose TEXT" | "cancel"             the device-choice dialog
//   "file PATH" | "cancel"               the open and save file dialogs
//   "form V1|V2|..." | "cancel"          a form dialog
// An empty queue answers with the default (No, Cancel) and marks the journal entry
// "unanswered", so a test sees a question it did not expect.
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/user_interface.h"

namespace lumbra {

struct JournalEntry {
  std::string kind;     // "message", "login", "progress", "device", "about", "file", "form", "enable"
  std::string caption;  // Windows-1252, as shown
  std::string text;
  std::string buttons;  // "ok", "yesno", "okcancel" or ""
  std::string icon;     // "information", "warning", "error", "question" or ""
  std::vector<std::string> flags;  // "topmost", "system_modal", "task_modal"
  std::string answer;   // "ok", "yes", "no", "cancel", or the dialog's result
  bool unanswered = false;

  // One JSON object, UTF-8, without a line break.
  std::string ToJson() const;
};

class ScriptedUi final : public UserInterface {
 public:
  ScriptedUi() = default;
  explicit ScriptedUi(std::vector<std::string> answers);

  void Queue(std::string answer);
  // Makes the next progress window report Cancel once its position has reached `position`.
  void CancelProgressAt(int position);

  const std::vector<JournalEntry>& Journal() const { return journal_; }
  // Texts of the message boxes shown so far, in order.
  std::vector<std::string> MessageTexts() const;
  void ClearJournal() { journal_.clear(); }
  std::size_t PendingAnswers() const { return answers_.size(); }
  // Also writes each entry, as one JSON line, to this file as it happens ("" for none).
  void SetJournalFile(std::string path);

  Answer ShowMessage(const MessageBoxRequest& request) override;
  std::optional<LoginAnswer> AskLogin(const LoginRequest& request) override;
  std::unique_ptr<ProgressWindow> OpenProgress(const std::string& title) override;
  std::optional<std::string> ChooseDevice(const DeviceChoiceRequest& request) override;
  void ShowAbout(const std::string& title, const std::string& text) override;
  std::optional<std::string> AskFile(const FileDialogRequest& request) override;
  std::optional<std::vector<std::string>> EditForm(const std::string& caption,
                                                   const std::vector<FormField>& fields) override;
  void EnableActiveWindow() override;
  void DispatchPendingMessages() override {}

 private:
  std::deque<std::string> answers_;
  std::vector<JournalEntry> journal_;
  int cancel_progress_at_ = -1;
  std::string journal_file_;
};

}  // namespace lumbra
