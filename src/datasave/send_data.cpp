// SendData: the form text and every selected file in one streamed POST.
#include <cstdio>

#include "datasave/block_layout.h"
#include "datasave/data_save.h"
#include "datasave/file_error.h"

namespace lumbra {
namespace {

constexpr std::size_t kAnswerChunk = 1024;

std::string HttpErrorText(int status) {
  char text[32];
  std::snprintf(text, sizeof text, "HTTP: ERROR %d", status);
  return text;
}

}  // namespace

std::string DataSave::SendData() {
  if (selection_.empty() && properties.field_info_list.empty()) return {};
  const LoginCheck login = CheckServerLogin();
  if (!login.ok) return login.status == -1 ? std::string() : HttpErrorText(login.status);

  properties.field_info_list = EscapeFormText(properties.field_info_list);
  SendBody body(properties.field_info_list, selection_, services_.files,
                [this](const std::string& path, int error) { Tell(FileErrorReport(path, error), Icon::Error); });

  HttpRequest request = NewRequest(HttpMethod::Post, properties.dll_version);
  request.body = &body;
  request.chunk_size = kAnswerChunk;
  // The whole answer decides, not its last chunk: a long answer keeps its start.
  std::string answer;
  const HttpResponse response = Client().Send(
      request, [](int status) { return status == 200; },
      [&answer](std::string_view chunk) {
        answer.append(chunk);
        return true;
      });

  if (response.error) {
    // No answer, or an answer cut short: nothing is known to be saved.
    Tell(response.error->text, Icon::Warning);
    return {};
  }
  if (response.status != 200) {
    properties.field_info_list.clear();
    return HttpErrorText(response.status);
  }
  answer.resize(answer.find('\0') == std::string::npos ? answer.size() : answer.find('\0'));
  if (answer.find("SUCCESS") == std::string::npos) {
    Tell(answer, Icon::Warning);
    properties.field_info_list.clear();
    return {};
  }
  properties.field_info_list = answer;
  return answer;
}

}  // namespace lumbra
