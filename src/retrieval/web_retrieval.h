#pragma once
// ServerFetch and CheckServerLogin, one implementation for both controls; RetrievalVariant says
// where the capture control's copy differs.
#include <functional>
#include <string_view>

#include "platform/ui/user_interface.h"
#include "retrieval/login_dialog.h"
#include "retrieval/retrieval_variant.h"
#include "retrieval/server_account.h"

namespace lumbra {

struct Services;

class WebRetrieval {
 public:
  // `user_id_cleared` runs after a 401 has emptied UserID, standing for the property setter's
  // side effects (the control is marked modified and repainted).
  WebRetrieval(Services& services, ServerAccount& account, const RetrievalVariant& variant,
               std::function<void()> user_id_cleared = {});

  // One GET of `path` (query included, sent as given) into `local_file`, or, with status_only,
  // only the status. Returns the HTTP status, 0 when no (whole) answer came.
  //  - 401 empties UserPassword and UserID.
  //  - 200 with a body: the file is created (truncated) and written in 2048-byte chunks; the
  //    print control counts a body holding "/getblob.asp" as 401 and deletes the file.
  //  - A body cut short (connection dropped, fewer bytes than announced, no progress within the
  //    bound) shows the error and "Unable to connect to %s server", deletes the file, returns 0.
  //  - Any other status leaves an existing local file as it was.
  int ServerFetch(std::string_view accept, std::string_view path, std::string_view local_file, bool status_only);

  // True when the server accepts UserID and UserPassword, asking the user through `dialog`, at
  // most three times, when the probe is refused (401 or 402).
  bool CheckServerLogin(LoginDialog& dialog);

 private:
  void ShowMessage(const std::string& text, Icon icon);
  void ClearCredentials();
  void ReportWriteError(std::string_view local_file, int error_number);

  Services& services_;
  ServerAccount& account_;
  const RetrievalVariant& variant_;
  std::function<void()> user_id_cleared_;
};

}  // namespace lumbra
