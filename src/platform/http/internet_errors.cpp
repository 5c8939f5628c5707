// The platform texts of the internet error numbers.
#include <string>

#include "platform/http/http_client.h"

namespace lumbra {

std::string InternetErrorText(int code) {
  namespace e = internet_error;
  switch (code) {
    case e::kTimeout: return "The operation timed out";
    case e::kInternalError: return "An internal error occurred";
    case e::kInvalidUrl: return "The URL is invalid";
    case e::kNameNotResolved: return "The server name or address could not be resolved";
    case e::kOperationCancelled: return "The operation was canceled";
    case e::kCannotConnect: return "A connection with the server could not be established";
    case e::kConnectionAborted: return "The connection with the server was terminated abnormally";
    case e::kConnectionReset: return "The connection with the server was reset";
    case e::kInvalidServerResponse: return "The server returned an invalid or unrecognized response";
    case e::kRedirectFailed: return "The redirection failed";
    case e::kSecureChannelError: return "An error occurred in the secure channel support";
    case e::kSecurityError: return "A security error occurred";
    default: return "Internet error " + std::to_string(code);
  }
}

}  // namespace lumbra
