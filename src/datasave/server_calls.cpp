// Server calls with the operator's credentials: the one request routine, the login check and
// the members built on them.
#include <cstdio>
#include <fstream>

#include "datasave/data_save.h"
#include "datasave/file_error.h"
#include "platform/http/http_client.h"
#include "platform/ui/user_interface.h"

namespace lumbra {
namespace {

constexpr std::size_t kServerCallChunk = 2048;
constexpr int kMaxLoginAttempts = 3;
constexpr char kFormHeaders[] = "Content-Type: application/x-www-form-urlencoded\r\nUser-Agent: MSIE4.";

std::string Format(const char* format, int a, int b = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

void DataSave::Tell(const std::string& text, Icon icon) {
  MessageBoxRequest request;
  request.text = text;
  request.caption = kCaption;
  request.icon = icon;
  services_.ui.ShowMessage(request);
}

HttpClient DataSave::Client() {
  try {
    return HttpClient(HttpSettings::Load(services_.registry));
  } catch (const RegistryError& error) {
    // A damaged hive must not stop the save: the operator is told, the defaults apply.
    Tell(error.what(), Icon::Warning);
    return HttpClient(HttpSettings{});
  }
}

HttpRequest DataSave::NewRequest(HttpMethod method, std::string path) const {
  HttpRequest request;
  request.method = method;
  request.server = ServerAddress::FromProperties(properties.server_url, properties.port);
  request.path = std::move(path);
  request.user = user_;
  request.password = password_;
  return request;
}

int DataSave::ServerCall(const std::optional<std::string>& accept, const std::string& url,
                         const std::string& local_file, bool download, std::string& answer,
                         bool status_only) {
  std::optional<TextBody> form;
  HttpRequest request = NewRequest(download ? HttpMethod::Get : HttpMethod::Post, url);
  if (!download) {
    const std::size_t query = url.find('?');
    request.path = query == std::string::npos ? std::string() : url.substr(0, query);
    form.emplace(query == std::string::npos ? url : url.substr(query + 1));
    request.body = &*form;
    request.extra_headers = kFormHeaders;
  }
  request.accept = accept.value_or(std::string());
  request.chunk_size = kServerCallChunk;

  std::ofstream file;
  bool file_failed = false;
  std::string received;
  const auto on_status = [&](int status) {
    if (status != 200 || status_only) return false;
    if (!download) return true;
    file = services_.files.OpenForWriting(local_file);
    if (!file.is_open()) {
      Tell(FileErrorReport(local_file, errno), Icon::Error);
      return false;
    }
    return true;
  };
  const auto sink = [&](std::string_view chunk) {
    if (!download) {
      received.append(chunk);
      return true;
    }
    file.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    file_failed = !file;
    return !file_failed;
  };
  const HttpResponse response = Client().Send(request, on_status, sink);
  if (file.is_open()) {
    file.close();
    file_failed = file_failed || file.fail();
  }

  const bool cut_short = response.error && response.status != 0;
  if (download && (file_failed || cut_short) && response.status == 200) {
    // A partial file must not pass for the complete one.
    services_.files.Delete(local_file);
    if (file_failed) Tell(FileErrorReport(local_file, errno), Icon::Error);
  }
  if (response.error && !file_failed) {
    Tell(response.error->text, Icon::Error);
    Tell(Format("%d %d ", response.error->code, 1) + "Unable to connect to " +
             properties.server_url + " server",
         Icon::Warning);
    return 0;
  }
  if (file_failed) return 0;
  if (response.status != 200) {
    Tell(Format("SendRequest failed with dwStatusCode = %d", response.status), Icon::None);
    if (response.status == 401) {
      password_.clear();
      user_.clear();
    }
    return response.status;
  }
  answer += received;
  return response.status;
}

LoginCheck DataSave::CheckServerLogin() {
  const std::string probe_path = properties.app_path + "Blank.html";
  std::string unused;
  const auto probe = [&] { return ServerCall(std::nullopt, probe_path, "userinfo.txt", true, unused, true); };
  LoginCheck check;
  check.status = probe();
  if (check.status != 401 && check.status != 402) {
    check.ok = true;
    return check;
  }
  LoginRequest dialog;
  dialog.title = "Enter your Network Password";
  dialog.message = check.status == 401 ? "BADUSRPASS" : "";
  for (int attempt = 0; attempt < kMaxLoginAttempts && (password_.empty() || user_.empty());
       ++attempt) {
    const std::optional<LoginAnswer> entered = services_.ui.AskLogin(dialog);
    if (!entered) {
      check.ok = false;
      check.status = -1;
      return check;
    }
    password_ = entered->password.substr(0, kLoginPasswordMax);
    user_ = entered->user.substr(0, kLoginUserMax);
    check.ok = false;
    if (!password_.empty() && !user_.empty()) {
      check.status = probe();
      check.ok = check.status == 200;
      if (!check.ok) {
        password_.clear();
        user_.clear();
      }
    }
  }
  return check;
}

std::string DataSave::GetData(const std::string& url) {
  if (!CheckServerLogin().ok) return {};
  std::string answer;
  ServerCall(std::nullopt, url, {}, false, answer, false);
  return answer;
}

std::string DataSave::GetUserName() {
  if (user_.empty()) CheckServerLogin();
  return user_;
}

std::string DataSave::GetPassword() {
  if (password_.empty()) CheckServerLogin();
  return password_;
}

std::string DataSave::CallASP(const std::string& /*url*/) const { return {}; }

}  // namespace lumbra
