#include "retrieval/web_retrieval.h"

#include "platform/base/services.h"
#include "platform/http/http_client.h"
#include "platform/ui/user_interface.h"
#include "retrieval/file_error_text.h"
#include "retrieval/local_file_writer.h"
#include "retrieval/login_page_detector.h"

namespace lumbra {
namespace {

constexpr std::size_t kChunkSize = 2048;
constexpr int kDenied = 401;
constexpr int kPaymentRequired = 402;
constexpr const char* kProbeFile = "userinfo.txt";

}  // namespace

WebRetrieval::WebRetrieval(Services& services, ServerAccount& account, const RetrievalVariant& variant,
                           std::function<void()> user_id_cleared)
    : services_(services), account_(account), variant_(variant), user_id_cleared_(std::move(user_id_cleared)) {}

int WebRetrieval::ServerFetch(std::string_view accept, std::string_view path, std::string_view local_file,
                              bool status_only) {
  const HttpClient client(HttpSettings::Load(services_.registry));
  HttpRequest request;
  request.server = ServerAddress::FromProperties(account_.server_url, account_.port);
  request.path = std::string(path);
  request.accept = std::string(accept);
  request.user = account_.user_id;
  request.password = account_.user_password;
  request.chunk_size = kChunkSize;

  LocalFileWriter file;
  LoginPageDetector login_page;
  int file_error = 0;
  bool create_failed = false;
  const auto on_status = [&](int status) {
    if (status != 200 || status_only) return false;
    file_error = file.Create(services_.files.HostPath(local_file).string());
    create_failed = file_error != 0;
    return !create_failed;
  };
  const auto sink = [&](std::string_view chunk) {
    // The rest of a login page is of no use: stop reading at the marker.
    if (variant_.login_page_counts_as_denied && login_page.Feed(chunk)) return false;
    file_error = file.Write(chunk);
    return file_error == 0;
  };
  const HttpResponse response = client.Send(request, on_status, sink);
  const int status = response.status;
  const bool body_wanted = status == 200 && !status_only;

  if (response.error && (status == 0 || body_wanted)) {
    // No answer, or the body was cut short: a partial file is no file.
    file.Discard();
    ShowMessage(response.error->text, Icon::Warning);
    ShowMessage("Unable to connect to " + account_.server_url + " server", Icon::Warning);
    return 0;
  }
  if (!body_wanted) {
    if (status == kDenied) {
      ClearCredentials();
      if (variant_.announce_denied) ShowMessage("HTTP_STATUS_DENIED", Icon::None);
    }
    return status;
  }
  if (create_failed) {
    const std::string text = FileErrorText(local_file, file_error);
    if (variant_.file_errors_fail_fetch) {
      ShowMessage("Error1: " + text, Icon::Warning);
      return 0;
    }
    ShowMessage(text, Icon::Warning);
    return 200;
  }
  if (file_error != 0) {
    file.Discard();
    ReportWriteError(local_file, file_error);
    return 0;
  }
  if (login_page.Found()) {
    file.Discard();
    return kDenied;
  }
  file_error = file.Finish();
  if (file_error != 0) {
    file.Discard();
    ReportWriteError(local_file, file_error);
    return 0;
  }
  return 200;
}

bool WebRetrieval::CheckServerLogin(LoginDialog& dialog) {
  const auto probe = [&] { return ServerFetch("", variant_.login_probe_path, kProbeFile, true); };
  const int status = probe();
  if (status != kDenied && status != kPaymentRequired) return true;
  dialog.password.clear();
  if (status == kDenied) dialog.message = "UserName/Password incorrect.  Please try again.";
  const auto credentials_missing = [&] {
    if (variant_.login_loop_tests_dialog_entries) return dialog.password.empty() || dialog.user.empty();
    return account_.user_password.empty() || account_.user_id.empty();
  };
  bool success = false;
  for (int attempt = 0; attempt < 3 && credentials_missing(); ++attempt) {
    if (!dialog.Show(services_.ui)) return false;
    account_.user_password = dialog.password;
    account_.user_id = dialog.user;
    if (probe() == 200) {
      success = true;
    } else {
      account_.user_password.clear();
      account_.user_id.clear();
    }
  }
  return success;
}

void WebRetrieval::ShowMessage(const std::string& text, Icon icon) {
  MessageBoxRequest box;
  box.text = text;
  box.buttons = Buttons::Ok;
  box.icon = icon;
  services_.ui.ShowMessage(box);
}

void WebRetrieval::ReportWriteError(std::string_view local_file, int error_number) {
  const std::string text = FileErrorText(local_file, error_number);
  ShowMessage(variant_.file_errors_fail_fetch ? "Error2: " + text : text, Icon::Warning);
}

void WebRetrieval::ClearCredentials() {
  account_.user_password.clear();
  account_.user_id.clear();
  if (user_id_cleared_) user_id_cleared_();
}

}  // namespace lumbra
