#include <nlohmann/json.hpp>

#include "platform/base/text.h"
#include "platform/ui/scripted_ui.h"

namespace lumbra {
namespace {

std::string ButtonsName(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return "ok";
    case Buttons::YesNo: return "yesno";
    case Buttons::OkCancel: return "okcancel";
  }
  return "";
}

std::string IconName(Icon icon) {
  switch (icon) {
    case Icon::None: return "";
    case Icon::Information: return "information";
    case Icon::Warning: return "warning";
    case Icon::Error: return "error";
    case Icon::Question: return "question";
  }
  return "";
}

}  // namespace

JournalEntry JournalEntry::ForMessage(const MessageBoxRequest& request) {
  JournalEntry entry = ForDialog("message", request.caption, request.text);
  entry.buttons = ButtonsName(request.buttons);
  entry.icon = IconName(request.icon);
  if (request.topmost) entry.flags.push_back("topmost");
  if (request.system_modal) entry.flags.push_back("system_modal");
  if (request.task_modal) entry.flags.push_back("task_modal");
  return entry;
}

JournalEntry JournalEntry::ForDialog(std::string kind, std::string caption, std::string text) {
  JournalEntry entry;
  entry.kind = std::move(kind);
  entry.caption = std::move(caption);
  entry.text = std::move(text);
  entry.buttons = "okcancel";
  return entry;
}

std::string JournalEntry::AnswerName(Answer answer) {
  switch (answer) {
    case Answer::Ok: return "ok";
    case Answer::Cancel: return "cancel";
    case Answer::Yes: return "yes";
    case Answer::No: return "no";
  }
  return "";
}

std::string JournalEntry::ToJson() const {
  nlohmann::json json{
      {"kind", kind},
      {"caption", Utf8FromAnsi(caption)},
      {"text", Utf8FromAnsi(text)},
      {"buttons", buttons},
      {"icon", icon},
      {"flags", flags},
      {"answer", Utf8FromAnsi(answer)},
  };
  if (unanswered) json["unanswered"] = true;
  if (kind == "progress") {
    json["percent_text"] = Utf8FromAnsi(percent_text);
    json["range"] = {range_low, range_high};
    json["position"] = position;
  }
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace lumbra
