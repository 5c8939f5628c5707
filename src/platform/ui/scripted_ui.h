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
// Answers are UTF-8, as a script writes them; the dialog's result is Windows-1252.
// An empty queue answers with the default (No, Cancel) and marks the journal entry
// "unanswered", so a test sees a question it did not expect. An answer that does not fit
// the question (say "login a b" for a Yes/No box) throws std::invalid_argument.
// A password is never journalled.
#include <deque>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
  // The final state of a progress window (kind "progress"); text holds its status.
  std::string percent_text;
  int range_low = 0;
  int range_high = 0;
  int position = 0;

  // One JSON object, UTF-8, without a line break.
  std::string ToJson() const;

  // A message box's entry, without its answer.
  static JournalEntry ForMessage(const MessageBoxRequest& request);
  // A dialog's entry (buttons "okcancel"), without its answer.
  static JournalEntry ForDialog(std::string kind, std::string caption, std::string text);
  static std::string AnswerName(Answer answer);
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
  // True while a progress window is open and EnableActiveWindow has not been called since.
  bool OwnerDisabled() const { return owner_disabled_; }

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
  class ScriptedProgress;

  void Record(JournalEntry entry);
  // The next answer's word and the rest after one blank; nullopt when the queue is empty.
  std::optional<std::pair<std::string, std::string>> NextAnswer(const std::string& kind,
                                                                std::initializer_list<std::string_view> words);

  std::deque<std::string> answers_;
  std::vector<JournalEntry> journal_;
  int cancel_progress_at_ = -1;
  std::string journal_file_;
  int open_progress_windows_ = 0;
  bool owner_disabled_ = false;
};

}  // namespace lumbra
