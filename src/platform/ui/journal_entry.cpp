#include <nlohmann/json.hpp>

#include "platform/base/text.h"
#include "platform/ui/scripted_ui.h"

namespace lumbra {

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
