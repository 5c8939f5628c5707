#include "platform/ui/scripted_ui.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "platform/base/text.h"

namespace lumbra {
namespace {

std::string Join(const std::vector<std::string>& parts, char separator) {
  std::string joined;
  for (const std::string& part : parts) {
    if (&part != &parts.front()) joined += separator;
    joined += part;
  }
  return joined;
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  for (;;) {
    const auto end = text.find(separator);
    parts.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) return parts;
    text.remove_prefix(end + 1);
  }
}

}  // namespace

class ScriptedUi::ScriptedProgress final : public ProgressWindow {
 public:
  ScriptedProgress(ScriptedUi& ui, std::string title, int cancel_at) : ui_(ui), cancel_at_(cancel_at) {
    entry_.kind = "progress";
    entry_.caption = std::move(title);
    ++ui_.open_progress_windows_;
    ui_.owner_disabled_ = true;
  }
  ~ScriptedProgress() override {
    if (cancelled_) entry_.answer = "cancel";
    if (--ui_.open_progress_windows_ == 0) ui_.owner_disabled_ = false;
    ui_.Record(std::move(entry_));
  }
  ScriptedProgress(const ScriptedProgress&) = delete;
  ScriptedProgress& operator=(const ScriptedProgress&) = delete;

  void SetStatus(const std::string& text) override { entry_.text = text; }
  void SetPercentText(const std::string& text) override { entry_.percent_text = text; }
  void SetRange(int low, int high) override {
    entry_.range_low = low;
    entry_.range_high = high;
  }
  void SetPosition(int position) override { entry_.position = position; }
  bool CancelPressed() override {
    if (cancel_at_ >= 0 && entry_.position >= cancel_at_) cancelled_ = true;
    return cancelled_;
  }

 private:
  ScriptedUi& ui_;
  int cancel_at_;
  bool cancelled_ = false;
  JournalEntry entry_;
};

ScriptedUi::ScriptedUi(std::vector<std::string> answers) : answers_(answers.begin(), answers.end()) {}

void ScriptedUi::Queue(std::string answer) { answers_.push_back(std::move(answer)); }

void ScriptedUi::CancelProgressAt(int position) { cancel_progress_at_ = position; }

std::vector<std::string> ScriptedUi::MessageTexts() const {
  std::vector<std::string> texts;
  for (const JournalEntry& entry : journal_) {
    if (entry.kind == "message") texts.push_back(entry.text);
  }
  return texts;
}

void ScriptedUi::SetJournalFile(std::string path) { journal_file_ = std::move(path); }

void ScriptedUi::Record(JournalEntry entry) {
  if (!journal_file_.empty()) {
    // Opened per entry, so the file holds every line written so far, whatever happens next.
    std::ofstream file(journal_file_, std::ios::app | std::ios::binary);
    file << entry.ToJson() << '\n' << std::flush;
    if (!file) std::cerr << "lumbra: cannot append to the UI journal " << journal_file_ << '\n';
  }
  journal_.push_back(std::move(entry));
}

std::optional<std::pair<std::string, std::string>> ScriptedUi::NextAnswer(
    const std::string& kind, std::initializer_list<std::string_view> words) {
  if (answers_.empty()) return std::nullopt;
  const std::string answer = answers_.front();
  const auto blank = answer.find(' ');
  std::string word = answer.substr(0, blank);
  std::string rest = blank == std::string::npos ? "" : answer.substr(blank + 1);
  if (std::find(words.begin(), words.end(), word) == words.end()) {
    throw std::invalid_argument("the scripted answer \"" + answer + "\" does not fit the " + kind +
                                " that was shown");
  }
  answers_.pop_front();
  return std::pair{std::move(word), AnsiFromUtf8(rest)};
}

Answer ScriptedUi::ShowMessage(const MessageBoxRequest& request) {
  JournalEntry entry = JournalEntry::ForMessage(request);
  Answer answer = Answer::Ok;
  if (request.buttons != Buttons::Ok) {
    const bool yes_no = request.buttons == Buttons::YesNo;
    const auto next = yes_no ? NextAnswer("Yes/No message box", {"yes", "no"})
                             : NextAnswer("OK/Cancel message box", {"ok", "cancel"});
    if (!next) {
      entry.unanswered = true;
      answer = yes_no ? Answer::No : Answer::Cancel;
    } else {
      answer = next->first == "yes" ? Answer::Yes : next->first == "no" ? Answer::No
             : next->first == "ok"  ? Answer::Ok  : Answer::Cancel;
    }
  }
  entry.answer = JournalEntry::AnswerName(answer);
  Record(std::move(entry));
  return answer;
}

std::optional<LoginAnswer> ScriptedUi::AskLogin(const LoginRequest& request) {
  JournalEntry entry = JournalEntry::ForDialog("login", request.title, request.message);
  std::optional<LoginAnswer> result;
  const auto next = NextAnswer("login dialog", {"login", "cancel"});
  if (!next) {
    entry.unanswered = true;
  } else if (next->first == "login") {
    const auto blank = next->second.find(' ');
    LoginAnswer login{next->second.substr(0, blank),
                      blank == std::string::npos ? "" : next->second.substr(blank + 1)};
    login.user.resize(std::min(login.user.size(), kLoginUserMax));
    login.password.resize(std::min(login.password.size(), kLoginPasswordMax));
    result = std::move(login);
  }
  entry.answer = result ? "login " + result->user : "cancel";
  Record(std::move(entry));
  return result;
}

std::unique_ptr<ProgressWindow> ScriptedUi::OpenProgress(const std::string& title) {
  const int cancel_at = std::exchange(cancel_progress_at_, -1);
  return std::make_unique<ScriptedProgress>(*this, title, cancel_at);
}

std::optional<std::string> ScriptedUi::ChooseDevice(const DeviceChoiceRequest& request) {
  JournalEntry entry = JournalEntry::ForDialog("device", request.title, Join(request.items, '\n'));
  std::optional<std::string> result;
  const auto next = NextAnswer("device-choice dialog", {"choose", "cancel"});
  if (!next) {
    entry.unanswered = true;
  } else if (next->first == "choose") {
    result = next->second.substr(0, request.max_length);
  }
  entry.answer = result ? *result : "cancel";
  Record(std::move(entry));
  return result;
}

void ScriptedUi::ShowAbout(const std::string& title, const std::string& text) {
  JournalEntry entry = JournalEntry::ForDialog("about", title, text);
  entry.buttons = "ok";
  entry.answer = "ok";
  Record(std::move(entry));
}

std::optional<std::string> ScriptedUi::AskFile(const FileDialogRequest& request) {
  JournalEntry entry = JournalEntry::ForDialog("file", request.title, request.filter);
  entry.flags = {request.save ? "save" : "open"};
  std::optional<std::string> result;
  const auto next = NextAnswer("file dialog", {"file", "cancel"});
  if (!next) {
    entry.unanswered = true;
  } else if (next->first == "file") {
    result = next->second;
  }
  entry.answer = result ? *result : "cancel";
  Record(std::move(entry));
  return result;
}

std::optional<std::vector<std::string>> ScriptedUi::EditForm(const std::string& caption,
                                                             const std::vector<FormField>& fields) {
  std::vector<std::string> labels;
  for (const FormField& field : fields) labels.push_back(field.label);
  JournalEntry entry = JournalEntry::ForDialog("form", caption, Join(labels, '|'));
  std::optional<std::vector<std::string>> result;
  // Checked before the answer is taken, so that a faulty answer stays in the queue.
  if (!answers_.empty() && answers_.front().starts_with("form ") &&
      Split(answers_.front(), '|').size() > fields.size()) {
    throw std::invalid_argument("the scripted answer \"" + answers_.front() + "\" has more values than the " +
                                std::to_string(fields.size()) + " fields of the form");
  }
  const auto next = NextAnswer("form dialog", {"form", "cancel"});
  if (!next) {
    entry.unanswered = true;
  } else if (next->first == "form") {
    std::vector<std::string> values = Split(next->second, '|');
    // Fields the answer leaves out keep their values.
    for (std::size_t i = values.size(); i < fields.size(); ++i) values.push_back(fields[i].value);
    result = std::move(values);
  }
  entry.answer = result ? Join(*result, '|') : "cancel";
  Record(std::move(entry));
  return result;
}

void ScriptedUi::EnableActiveWindow() {
  owner_disabled_ = false;
  JournalEntry entry = JournalEntry::ForDialog("enable", "", "");
  entry.buttons.clear();
  Record(std::move(entry));
}

}  // namespace lumbra
