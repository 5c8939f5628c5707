#pragma once
// The points where the capture control's copy of retrieval differs from the print control's.
#include <string_view>

namespace lumbra {

struct RetrievalVariant {
  // A 200 body holding "/getblob.asp" is the server's login page and counts as 401.
  bool login_page_counts_as_denied;
  // A 401 is also announced with "HTTP_STATUS_DENIED".
  bool announce_denied;
  // A local file error is shown as "Error1: "/"Error2: " and makes the result 0; otherwise
  // the platform's file-error report is shown and a file that cannot be created keeps 200.
  bool file_errors_fail_fetch;
  // The path the login check probes.
  std::string_view login_probe_path;
  // The login check's loop tests the dialog's entries instead of the two properties.
  bool login_loop_tests_dialog_entries;

  static const RetrievalVariant kPrintControl;
  static const RetrievalVariant kCaptureControl;
};

inline constexpr RetrievalVariant RetrievalVariant::kPrintControl{
    .login_page_counts_as_denied = true,
    .announce_denied = false,
    .file_errors_fail_fetch = false,
    .login_probe_path = "/Ostrel/Ostrel.ini",
    .login_loop_tests_dialog_entries = false,
};

inline constexpr RetrievalVariant RetrievalVariant::kCaptureControl{
    .login_page_counts_as_denied = false,
    .announce_denied = true,
    .file_errors_fail_fetch = true,
    .login_probe_path = "/Fennic/Fennic.ini",
    .login_loop_tests_dialog_entries = true,
};

}  // namespace lumbra
