#include "platform/ui/terminal_ui.h"

#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <iostream>

#include "platform/base/text.h"
#include "platform/ui/scripted_ui.h"

namespace lumbra {
namespace {

std::string Show(const std::string& ansi) { return Utf8FromAnsi(ansi); }

std::string IconLabel(Icon icon) {
  switch (icon) {
    case Icon::Information: return "Information: ";
    case Icon::Warning: return "Warning: ";
    case Icon::Error: return "Error: ";
    case Icon::Question: return "Question: ";
    case Icon::None: break;
  }
  return "";
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Cut(std::string text, std::size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

bool HasExtension(const std::string& path) {
  const auto name = path.find_last_of("\\/");
  const auto dot = path.rfind('.');
  return dot != std::string::npos && (name == std::string::npos || dot > name);
}

// Turns terminal echo off for the life of the object, for a password.
class EchoOff {
 public:
  EchoOff() : active_(::tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!active_) return;
    termios quiet = saved_;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  ~EchoOff() {
    if (active_) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  termios saved_{};
  bool active_;
};

// Progress shown as lines: the status and the percent text whenever they change.
class TerminalProgress final : public ProgressWindow {
 public:
  TerminalProgress(std::ostream& out, std::string title) : out_(out), title_(std::move(title)) {
    out_ << Show(title_) << '\n';
  }
  void SetStatus(const std::string& text) override {
    if (text != status_) out_ << "  " << Show(text) << '\n';
    status_ = text;
  }
  void SetPercentText(const std::string& text) override {
    if (text != percent_) out_ << "  " << Show(text) << '\n';
    percent_ = text;
  }
  void SetRange(int, int) override {}
  void SetPosition(int) override {}
  // A line-based terminal has no Cancel button; Ctrl-C ends the whole command instead.
  bool CancelPressed() override { return false; }

 private:
  std::ostream& out_;
  std::string title_;
  std::string status_;
  std::string percent_;
};

}  // namespace

TerminalUi::TerminalUi() : TerminalUi(std::cin, std::cerr, ::isatty(STDIN_FILENO) == 1) {}

TerminalUi::TerminalUi(std::istream& in, std::ostream& out, bool interactive)
    : in_(&in), out_(&out), interactive_(interactive) {}

std::optional<std::string> TerminalUi::Prompt(const std::string& question, bool masked) {
  *out_ << Show(question) << std::flush;
  std::string line;
  bool read = false;
  if (masked && in_ == &std::cin && ::isatty(STDIN_FILENO) == 1) {
    const EchoOff echo_off;
    read = static_cast<bool>(std::getline(*in_, line));
    *out_ << '\n';
  } else {
    read = static_cast<bool>(std::getline(*in_, line));
  }
  if (!read) {
    *out_ << '\n';
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return AnsiFromUtf8(line);
}

void TerminalUi::JournalUnanswered(const JournalEntry& entry) {
  JournalEntry unanswered = entry;
  unanswered.unanswered = true;
  *out_ << unanswered.ToJson() << '\n';
}

Answer TerminalUi::ShowMessage(const MessageBoxRequest& request) {
  *out_ << (request.caption.empty() ? "" : "[" + Show(request.caption) + "] ") << IconLabel(request.icon)
        << Show(request.text) << '\n';
  if (request.buttons == Buttons::Ok) return Answer::Ok;
  const bool yes_no = request.buttons == Buttons::YesNo;
  const Answer fallback = yes_no ? Answer::No : Answer::Cancel;
  if (!interactive_) {
    JournalEntry entry = JournalEntry::ForMessage(request);
    entry.answer = JournalEntry::AnswerName(fallback);
    JournalUnanswered(entry);
    return fallback;
  }
  for (;;) {
    const auto line = Prompt(yes_no ? "Yes or No? [y/n] " : "OK or Cancel? [o/c] ");
    if (!line) return fallback;
    const std::string word = Lower(*line);
    if (yes_no && (word == "y" || word == "yes")) return Answer::Yes;
    if (yes_no && (word == "n" || word == "no")) return Answer::No;
    if (!yes_no && (word == "o" || word == "ok")) return Answer::Ok;
    if (!yes_no && (word == "c" || word == "cancel")) return Answer::Cancel;
  }
}

std::optional<LoginAnswer> TerminalUi::AskLogin(const LoginRequest& request) {
  if (!interactive_) {
    JournalEntry entry = JournalEntry::ForDialog("login", request.title, request.message);
    entry.answer = "cancel";
    JournalUnanswered(entry);
    return std::nullopt;
  }
  *out_ << Show(request.title) << (request.message.empty() ? "" : ": " + Show(request.message)) << '\n'
        << "(empty keeps the value in brackets, Ctrl-D cancels)\n";
  const auto user = Prompt("User name [" + request.user + "]: ");
  if (!user) return std::nullopt;
  const auto password = Prompt("Password: ", true);
  if (!password) return std::nullopt;
  return LoginAnswer{Cut(user->empty() ? request.user : *user, kLoginUserMax),
                     Cut(password->empty() ? request.password : *password, kLoginPasswordMax)};
}

std::unique_ptr<ProgressWindow> TerminalUi::OpenProgress(const std::string& title) {
  return std::make_unique<TerminalProgress>(*out_, title);
}

std::optional<std::string> TerminalUi::ChooseDevice(const DeviceChoiceRequest& request) {
  std::string items;
  for (std::size_t i = 0; i < request.items.size(); ++i) {
    items += "  " + std::to_string(i + 1) + ". " + request.items[i] + '\n';
  }
  if (!interactive_) {
    JournalEntry entry = JournalEntry::ForDialog("device", request.title, items);
    entry.answer = "cancel";
    JournalUnanswered(entry);
    return std::nullopt;
  }
  *out_ << Show(request.title) << '\n' << Show(items);
  const auto line = Prompt("Number or name [" + request.current + "] (Ctrl-D cancels): ");
  if (!line) return std::nullopt;
  if (line->empty()) return Cut(request.current, request.max_length);
  const std::size_t number = line->find_first_not_of("0123456789") == std::string::npos && line->size() < 6
                                 ? std::stoul(*line) : 0;
  if (number >= 1 && number <= request.items.size()) return Cut(request.items[number - 1], request.max_length);
  return Cut(*line, request.max_length);
}

void TerminalUi::ShowAbout(const std::string& title, const std::string& text) {
  *out_ << Show(title) << '\n' << Show(text) << '\n';
}

std::optional<std::string> TerminalUi::AskFile(const FileDialogRequest& request) {
  if (!interactive_) {
    JournalEntry entry = JournalEntry::ForDialog("file", request.title, request.filter);
    entry.flags = {request.save ? "save" : "open"};
    entry.answer = "cancel";
    JournalUnanswered(entry);
    return std::nullopt;
  }
  *out_ << Show(request.title.empty() ? (request.save ? "Save As" : "Open") : request.title) << '\n';
  if (!request.filter.empty()) *out_ << "Files: " << Show(request.filter) << '\n';
  const auto line = Prompt(std::string(request.save ? "Save as" : "Open") + " [" + request.initial_name +
                           "] (Ctrl-D cancels): ");
  if (!line) return std::nullopt;
  std::string path = line->empty() ? request.initial_name : *line;
  if (path.empty()) return std::nullopt;
  if (!request.default_extension.empty() && !HasExtension(path)) path += '.' + request.default_extension;
  return path;
}

std::optional<std::vector<std::string>> TerminalUi::EditForm(const std::string& caption,
                                                             const std::vector<FormField>& fields) {
  if (!interactive_) {
    std::string labels;
    for (const FormField& field : fields) labels += (labels.empty() ? "" : "|") + field.label;
    JournalEntry entry = JournalEntry::ForDialog("form", caption, labels);
    entry.answer = "cancel";
    JournalUnanswered(entry);
    return std::nullopt;
  }
  *out_ << Show(caption) << " (empty keeps the value in brackets, Ctrl-D cancels)\n";
  std::vector<std::string> values;
  for (const FormField& field : fields) {
    for (;;) {
      const auto line = Prompt(field.label + (field.check_box ? " (y/n)" : "") + " [" +
                               (field.check_box ? (field.value == "1" ? "y" : "n") : field.value) + "]: ");
      if (!line) return std::nullopt;
      if (!field.check_box) {
        values.push_back(line->empty() ? field.value : *line);
        break;
      }
      const std::string word = Lower(*line);
      if (word.empty() || word == "y" || word == "n") {
        values.push_back(word.empty() ? field.value : word == "y" ? "1" : "0");
        break;
      }
    }
  }
  return values;
}

}  // namespace lumbra
