#pragma once
// The internet client the components use to reach the web server: one request per call, over
// libcurl. Each call opens its own connection and closes it before it returns; nothing is kept
// between calls (no connection reuse, no cookies, no cache).
//
// What a request always does:
//  - asks for a fresh copy ("Cache-Control: no-cache" and "Pragma: no-cache") when reload is set;
//  - uses TLS exactly when the port is 443, with the peer certificate and host name always
//    verified against the system CA store plus the site CA file of HttpSettings, if any;
//  - takes proxies from the environment (http_proxy, https_proxy, no_proxy);
//  - answers the server's authentication challenge with the user name and password, the scheme
//    negotiated by libcurl (Basic, Digest, NTLM where available);
//  - gives up when connecting takes longer than the connect timeout, or when no byte moves in
//    either direction for the no-progress timeout.
// Failures carry the number and text the components' messages show (WinInet's numbering).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra {

class Registry;

// Error numbers, as the components' messages show them.
namespace internet_error {
inline constexpr int kTimeout = 12002;            // "The operation timed out"
inline constexpr int kInternalError = 12004;      // "An internal error occurred"
inline constexpr int kInvalidUrl = 12005;         // "The URL is invalid"
inline constexpr int kNameNotResolved = 12007;    // "The server name or address could not be resolved"
inline constexpr int kOperationCancelled = 12017; // "The operation was canceled"
inline constexpr int kCannotConnect = 12029;      // "A connection with the server could not be established"
inline constexpr int kConnectionAborted = 12030;  // "The connection with the server was terminated abnormally"
inline constexpr int kConnectionReset = 12031;    // "The connection with the server was reset"
inline constexpr int kInvalidServerResponse = 12152;  // "The server returned an invalid or unrecognized response"
inline constexpr int kRedirectFailed = 12156;     // "The redirection failed"
inline constexpr int kSecureChannelError = 12157; // "An error occurred in the secure channel support"
inline constexpr int kSecurityError = 12175;      // "A security error occurred" (certificate refused)
}  // namespace internet_error

struct InternetError {
  int code = 0;
  // The platform text for the code, followed by what went wrong in this case, for example
  // "The operation timed out (no data from lumbra.example for 60 s)".
  std::string text;
};

// Where the components' server properties point: the host name and the port as the page set
// them (decimal text).
struct ServerAddress {
  std::string host;
  int port = 80;

  // The port value of a PORT text: its leading decimal digits (after optional blanks and sign),
  // 80 when that value is not greater than 0 or there are no digits. "443abc" gives 443.
  static int PortFromText(std::string_view port_text);
  static ServerAddress FromProperties(std::string_view server_url, std::string_view port_text);

  // Port 443 means TLS; TLS on any other port is not possible.
  bool Secure() const { return port == 443; }
};

// Supplies a request body on demand. The total length is known before the request is sent.
class BodySource {
 public:
  virtual ~BodySource() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills the front of `buffer`; returns the count of bytes written, 0 only at the end.
  // nullopt when the bytes cannot be supplied: the request then fails with kOperationCancelled
  // and the text of ErrorText().
  virtual std::optional<std::size_t> Read(std::span<char> buffer) = 0;
  // Starts again from the first byte: the body may be sent twice when the server asks for
  // authentication. False when that is not possible.
  virtual bool Rewind() = 0;
  virtual std::string ErrorText() const { return "the request body could not be read"; }
};

// A body held in memory (a form post, a short text).
class TextBody final : public BodySource {
 public:
  explicit TextBody(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::optional<std::size_t> Read(std::span<char> buffer) override;
  bool Rewind() override { offset_ = 0; return true; }

 private:
  std::string bytes_;
  std::size_t offset_ = 0;
};

enum class HttpMethod { Get, Post };

struct HttpRequest {
  HttpMethod method = HttpMethod::Get;
  ServerAddress server;
  // The object path, query included, sent as given; only bytes a URL cannot carry (blanks,
  // control bytes, '#', bytes above 0x7E) are percent-encoded. A path without a leading "/"
  // gets one.
  std::string path;
  std::string accept;        // one media range, "" for no Accept header at all
  std::string extra_headers; // header lines separated by "\r\n", "" for none
  std::string user;          // "" with an empty password: no credentials
  std::string password;
  bool reload = true;        // ask every cache on the way for a fresh copy
  // The body of a POST; nullptr for none. The caller keeps it alive for the call. No
  // Content-Type is sent unless extra_headers names one.
  BodySource* body = nullptr;
  // The response body reaches the sink in chunks of exactly this size, the last one shorter.
  std::size_t chunk_size = 2048;
};

// Called once, with the final status, before any chunk. Returning false skips the body: the
// connection is closed without reading it.
using StatusHandler = std::function<bool(int status)>;
// Receives the response body chunk by chunk. Returning false stops the transfer.
using ChunkSink = std::function<bool(std::string_view chunk)>;

struct HttpResponse {
  int status = 0;  // 0 when no status line arrived
  // The exchange failed. With status 0, before an answer came (resolve, connect, TLS, send);
  // otherwise the body was cut short (connection dropped, fewer bytes than Content-Length,
  // timeout), and the chunks already delivered are not the whole body.
  std::optional<InternetError> error;
  bool stopped_by_caller = false;  // the status handler or the sink ended the transfer
  std::uint64_t body_bytes = 0;    // bytes handed to the sink
};

// Settings of the client, read once per request by the components.
struct HttpSettings {
  std::chrono::milliseconds connect_timeout{30'000};
  std::chrono::milliseconds no_progress_timeout{60'000};
  // A PEM file of extra CA certificates that a site's own server certificate is issued by;
  // used in addition to the system store. "" for none.
  std::string site_ca_file;
  // Test-only: "HOST:PORT:CONNECT-HOST:CONNECT-PORT" entries that send a connection for
  // HOST:PORT to another address (libcurl's connect-to), so tests reach a TLS server on a
  // spare port through port 443's code path. Certificates are still verified for HOST.
  std::vector<std::string> connect_to;

  // Registry key (HKEY_LOCAL_MACHINE) and values that override the defaults.
  static constexpr std::string_view kRegistryKey = "Software\\Korvel\\Lumbra\\Internet";
  static constexpr std::string_view kConnectTimeoutValue = "ConnectTimeoutMs";        // DWORD
  static constexpr std::string_view kNoProgressTimeoutValue = "NoProgressTimeoutMs";  // DWORD
  static constexpr std::string_view kSiteCaFileValue = "SiteCAFile";                  // string
  // Environment variables: the site CA file (wins over the registry) and the test-only
  // connect-to entries (separated by ";" or ",").
  static constexpr std::string_view kSiteCaFileVariable = "LUMBRA_SITE_CA_FILE";
  static constexpr std::string_view kConnectToVariable = "LUMBRA_TEST_CONNECT_TO";

  // Defaults, then the registry values, then the environment. A zero or missing timeout value
  // keeps its default.
  static HttpSettings Load(const Registry& registry);
};

class HttpClient {
 public:
  explicit HttpClient(HttpSettings settings);

  // Sends one request and delivers the answer; never throws for network failures.
  // on_status may be empty (the body is always wanted); sink may be empty (the body is read
  // and dropped).
  HttpResponse Send(const HttpRequest& request, const StatusHandler& on_status,
                    const ChunkSink& sink) const;

  const HttpSettings& Settings() const { return settings_; }

 private:
  HttpSettings settings_;
};

// The platform text for an error number ("The operation timed out"), or a generic text naming
// the number.
std::string InternetErrorText(int code);

}  // namespace lumbra
