// HttpClient over libcurl's easy interface: one handle, one connection, one request per call.
#include "platform/http/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <mutex>

namespace lumbra {
namespace {

namespace e = internet_error;
using SteadyClock = std::chrono::steady_clock;

void EnsureCurlInitialised() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using CurlList = std::unique_ptr<curl_slist, CurlDeleter>;

void Append(CurlList& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), line.c_str());
  if (grown) {
    list.release();
    list.reset(grown);
  }
}

bool IsHostName(std::string_view host) {
  if (host.empty()) return false;
  return std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ||
           c == ':' || c == '[' || c == ']';
  });
}

// Bytes a URL cannot carry are percent-encoded; everything else goes out as the caller gave it.
std::string EncodePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  if (path.empty() || path.front() != '/') out += '/';
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == '#') {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

std::string BuildUrl(const HttpRequest& request) {
  const auto& host = request.server.host;
  const bool ipv6 = host.find(':') != std::string::npos && host.front() != '[';
  return std::string(request.server.Secure() ? "https://" : "http://") + (ipv6 ? "[" + host + "]" : host) +
         ":" + std::to_string(request.server.port) + EncodePath(request.path);
}

bool NamesHeader(std::string_view headers, std::string_view name) {
  std::string lower(headers);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  std::size_t at = 0;
  while ((at = lower.find(name, at)) != std::string::npos) {
    if (at == 0 || lower[at - 1] == '\n') return true;
    at += name.size();
  }
  return false;
}

CurlList BuildHeaders(const HttpRequest& request) {
  CurlList list;
  // An empty value removes a header libcurl would add by itself.
  Append(list, request.accept.empty() ? "Accept:" : "Accept: " + request.accept);
  if (request.reload) {
    Append(list, "Cache-Control: no-cache");
    Append(list, "Pragma: no-cache");
  }
  if (request.method == HttpMethod::Post) {
    Append(list, "Expect:");
    if (!NamesHeader(request.extra_headers, "content-type:")) Append(list, "Content-Type:");
  }
  std::string line;
  for (char c : request.extra_headers + "\n") {
    if (c == '\r' || c == '\n') {
      if (!line.empty()) Append(list, line);
      line.clear();
    } else {
      line += c;
    }
  }
  return list;
}

// State of one transfer, shared with libcurl's callbacks.
struct Transfer {
  Transfer(const HttpRequest& request, const StatusHandler& on_status, const ChunkSink& sink, CURL* curl,
           std::chrono::milliseconds no_progress_timeout)
      : request(request), on_status(on_status), sink(sink), curl(curl), no_progress_timeout(no_progress_timeout) {}

  const HttpRequest& request;
  const StatusHandler& on_status;
  const ChunkSink& sink;
  CURL* curl;
  std::chrono::milliseconds no_progress_timeout;

  std::string pending;  // the chunk being filled
  bool status_reported = false;
  bool stopped_by_caller = false;
  std::uint64_t delivered = 0;

  std::uint64_t uploaded = 0;
  bool source_failed = false;

  curl_off_t last_down = -1;
  curl_off_t last_up = -1;
  SteadyClock::time_point last_progress = SteadyClock::now();
  bool timed_out = false;

  bool Deliver(std::string_view chunk) {
    delivered += chunk.size();
    if (sink && !sink(chunk)) {
      stopped_by_caller = true;
      return false;
    }
    return true;
  }

  // False when the caller wants no body.
  bool ReportStatus() {
    if (status_reported) return !stopped_by_caller;
    status_reported = true;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (on_status && !on_status(static_cast<int>(status))) stopped_by_caller = true;
    return !stopped_by_caller;
  }

  bool Accept(std::string_view data) {
    const std::size_t size = std::max<std::size_t>(request.chunk_size, 1);
    if (!pending.empty()) {
      const std::size_t take = std::min(size - pending.size(), data.size());
      pending.append(data.substr(0, take));
      data.remove_prefix(take);
      if (pending.size() < size) return true;
      if (!Deliver(pending)) return false;
      pending.clear();
    }
    while (data.size() >= size) {
      if (!Deliver(data.substr(0, size))) return false;
      data.remove_prefix(size);
    }
    pending.assign(data);
    return true;
  }
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  if (!transfer.ReportStatus()) return bytes == 0 ? 1 : 0;
  return transfer.Accept({data, bytes}) ? bytes : (bytes == 0 ? 1 : 0);
}

std::size_t OnUpload(char* buffer, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  BodySource& source = *transfer.request.body;
  const std::uint64_t left = source.Size() - std::min(source.Size(), transfer.uploaded);
  if (left == 0) return 0;
  const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size * count, left));
  const auto got = source.Read({buffer, wanted});
  // A source that ends early would leave the server waiting for the promised length.
  if (!got || *got == 0 || *got > wanted) {
    transfer.source_failed = true;
    return CURL_READFUNC_ABORT;
  }
  transfer.uploaded += *got;
  return *got;
}

int OnSeek(void* user, curl_off_t offset, int origin) {
  auto& transfer = *static_cast<Transfer*>(user);
  if (offset != 0 || origin != SEEK_SET || !transfer.request.body->Rewind()) return CURL_SEEKFUNC_CANTSEEK;
  transfer.uploaded = 0;
  return CURL_SEEKFUNC_OK;
}

// libcurl calls this often while bytes move and about once a second while they do not.
int OnProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
  auto& transfer = *static_cast<Transfer*>(user);
  const auto now = SteadyClock::now();
  if (down != transfer.last_down || up != transfer.last_up) {
    transfer.last_down = down;
    transfer.last_up = up;
    transfer.last_progress = now;
    return 0;
  }
  if (now - transfer.last_progress >= transfer.no_progress_timeout) {
    transfer.timed_out = true;
    return 1;
  }
  return 0;
}

int CodeFor(CURLcode code, std::string_view detail) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return e::kNameNotResolved;
    case CURLE_COULDNT_CONNECT:
      return e::kCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return e::kTimeout;
    case CURLE_SEND_ERROR:
      return e::kConnectionReset;
    case CURLE_RECV_ERROR:
      return detail.find("reset") != std::string_view::npos ? e::kConnectionReset : e::kConnectionAborted;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
      return e::kConnectionAborted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
      return e::kSecureChannelError;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return e::kSecurityError;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return e::kInvalidUrl;
    case CURLE_TOO_MANY_REDIRECTS:
      return e::kRedirectFailed;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_BAD_CONTENT_ENCODING:
      return e::kInvalidServerResponse;
    case CURLE_READ_ERROR:
    case CURLE_SEND_FAIL_REWIND:
    case CURLE_ABORTED_BY_CALLBACK:
      return e::kOperationCancelled;
    default:
      return e::kInternalError;
  }
}

InternetError MakeError(int code, const std::string& detail) {
  return {code, InternetErrorText(code) + " (" + detail + ")"};
}

InternetError ErrorOf(CURLcode code, const char* buffer, const Transfer& transfer) {
  const std::string where = transfer.request.server.host + ":" + std::to_string(transfer.request.server.port);
  if (transfer.timed_out) {
    return MakeError(e::kTimeout, "nothing moved to or from " + where + " for " +
                                      std::to_string(transfer.no_progress_timeout.count()) + " ms");
  }
  if (transfer.source_failed) return MakeError(e::kOperationCancelled, transfer.request.body->ErrorText());
  const std::string detail = buffer[0] != '\0' ? buffer : curl_easy_strerror(code);
  return MakeError(CodeFor(code, detail), detail + ", " + where);
}

}  // namespace

HttpClient::HttpClient(HttpSettings settings) : settings_(std::move(settings)) {}

HttpResponse HttpClient::Send(const HttpRequest& request, const StatusHandler& on_status,
                              const ChunkSink& sink) const {
  HttpResponse response;
  if (!IsHostName(request.server.host)) {
    response.error = MakeError(e::kNameNotResolved, "\"" + request.server.host + "\" is not a server name");
    return response;
  }
  if (request.server.port < 1 || request.server.port > 65535) {
    response.error = MakeError(e::kInvalidUrl, "port " + std::to_string(request.server.port) + " is out of range");
    return response;
  }
  EnsureCurlInitialised();
  CurlHandle handle(curl_easy_init());
  if (!handle) {
    response.error = MakeError(e::kInternalError, "the HTTP library could not start a request");
    return response;
  }
  CURL* curl = handle.get();
  Transfer transfer(request, on_status, sink, curl, settings_.no_progress_timeout);
  char error_buffer[CURL_ERROR_SIZE] = {};
  const std::string url = BuildUrl(request);
  CurlList headers = BuildHeaders(request);
  CurlList connect_to;
  for (const auto& entry : settings_.connect_to) Append(connect_to, entry);

  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_buffer);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Lumbra");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings_.connect_timeout.count()));
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!settings_.site_ca_file.empty()) {
    // CAINFO replaces the default bundle; the system store stays reachable through CAPATH.
    curl_easy_setopt(curl, CURLOPT_CAINFO, settings_.site_ca_file.c_str());
    curl_easy_setopt(curl, CURLOPT_CAPATH, "/etc/ssl/certs");
  }
  if (connect_to) curl_easy_setopt(curl, CURLOPT_CONNECT_TO, connect_to.get());
  if (!request.user.empty() || !request.password.empty()) {
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    curl_easy_setopt(curl, CURLOPT_USERNAME, request.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, request.password.c_str());
  }
  if (request.method == HttpMethod::Post) {
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    if (request.body) {
      curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body->Size()));
      curl_easy_setopt(curl, CURLOPT_READFUNCTION, OnUpload);
      curl_easy_setopt(curl, CURLOPT_READDATA, &transfer);
      curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, OnSeek);
      curl_easy_setopt(curl, CURLOPT_SEEKDATA, &transfer);
    } else {
      curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "");
      curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, 0L);
    }
  }

  const CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  response.status = static_cast<int>(status);

  if (result == CURLE_OK) {
    // An empty body calls no write callback; the status still goes to the caller first.
    if (transfer.ReportStatus() && !transfer.pending.empty()) transfer.Deliver(transfer.pending);
  } else if (!(result == CURLE_WRITE_ERROR && transfer.stopped_by_caller)) {
    response.error = ErrorOf(result, error_buffer, transfer);
  }
  response.stopped_by_caller = transfer.stopped_by_caller;
  response.body_bytes = transfer.delivered;
  return response;
}

}  // namespace lumbra
