#include "site/site.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include "site/datasave_pages.h"
#include "site/fault_rules.h"
#include "site/query.h"
#include "site/site_files.h"
#include "site/socket_drop.h"

namespace lumbra::site {
namespace {

namespace fs = std::filesystem;

// What the checks learned about the request being served, for its log line. httplib runs the
// checks, the page and the logger of one request on the same thread.
struct RequestNotes {
  std::uint64_t sequence = 0;
  std::string fault;
  bool dropped = false;
  std::optional<std::uint64_t> cut_after;
};
thread_local RequestNotes notes;

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                std::tolower(static_cast<unsigned char>(b)); });
}

std::string QueryOf(const httplib::Request& request) {
  const auto mark = request.target.find('?');
  return mark == std::string::npos ? "" : request.target.substr(mark + 1);
}

void AnswerText(httplib::Response& response, int status, const std::string& text) {
  response.status = status;
  response.set_content(text + "\n", "text/plain");
}

void AnswerFile(httplib::Response& response, const fs::path& file) {
  std::error_code error;
  const auto size = fs::file_size(file, error);
  auto stream = std::make_shared<std::ifstream>(file, std::ios::binary);
  if (error || !*stream) {
    AnswerText(response, 500, "cannot read " + file.filename().string());
    return;
  }
  response.status = 200;
  // Streamed: a 100 MB file never sits in memory.
  response.set_content_provider(
      static_cast<std::size_t>(size), MediaTypeFor(file),
      [stream](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        char buffer[64 * 1024];
        stream->seekg(static_cast<std::streamoff>(offset));
        stream->read(buffer, static_cast<std::streamsize>(std::min(length, sizeof buffer)));
        const auto got = stream->gcount();
        return got > 0 && sink.write(buffer, static_cast<std::size_t>(got));
      });
}

// Announces the whole body but sends only its first `limit` bytes, then closes.
void CutBody(httplib::Response& response, std::uint64_t limit) {
  auto provider = response.content_provider_;
  auto length = response.content_length_;
  if (!provider) {
    auto body = std::make_shared<std::string>(std::move(response.body));
    length = body->size();
    provider = [body](std::size_t offset, std::size_t size, httplib::DataSink& sink) {
      return sink.write(body->data() + offset, std::min(size, body->size() - offset));
    };
    response.body.clear();
  }
  const std::string type = response.get_header_value("Content-Type");
  response.set_content_provider(
      length, type, [provider, limit](std::size_t offset, std::size_t size, httplib::DataSink& sink) {
        if (offset >= limit) return false;
        return provider(offset, static_cast<std::size_t>(std::min<std::uint64_t>(size, limit - offset)), sink);
      });
}

}  // namespace

Site::Site(SiteConfig config)
    : config_(std::move(config)), users_(Users::Load(config_.users_file)), log_(config_.log_file) {}

void Site::Install(httplib::Server& server) {
  server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
    notes = {};
    notes.sequence = ++arrivals_;
    const bool handled = !Prepare(request, response) || Answer(request, response);
    if (handled && notes.cut_after) CutBody(response, *notes.cut_after);
    return handled ? httplib::Server::HandlerResponse::Handled : httplib::Server::HandlerResponse::Unhandled;
  });
  server.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
    Log(request, response);
  });
  // Pages of other subsystems: one registration call each, taking (server, context_).
  RegisterDataSavePages(server, context_);
}

// The checks every request passes: fault rules, then authentication. False when they answered.
bool Site::Prepare(const httplib::Request& request, httplib::Response& response) {
  std::optional<FaultRule> fault;
  try {
    fault = FindFault(LoadFaultRules(config_.faults_file), request.method, request.path);
  } catch (const FaultsFileError& error) {
    AnswerText(response, 500, std::string("bad faults file: ") + error.what());
    return false;
  }
  if (fault) {
    notes.fault = fault->path_pattern;
    Wait(fault->delay_ms);
    notes.cut_after = fault->cut_after;
    if (fault->drop) {
      notes.dropped = true;
      DropConnection(request.local_port, request.remote_addr, request.remote_port);
      AnswerText(response, 500, "dropped");
      return false;
    }
    if (fault->status) {
      AnswerText(response, *fault->status, "status " + std::to_string(*fault->status) + " from a fault rule");
      return false;
    }
    if (fault->login_page) {
      response.status = 200;
      response.set_content(LoginPage(fault->login_page_offset), "text/html");
      return false;
    }
  }
  if (!users_.Open() && !users_.Authenticate(request.get_header_value("Authorization"))) {
    response.set_header("WWW-Authenticate", "Basic realm=\"Lumbra site\"");
    AnswerText(response, 401, "authorization required");
    return false;
  }
  return true;
}

// The site's own GET answers; false leaves the request to the registered pages.
bool Site::Answer(const httplib::Request& request, httplib::Response& response) {
  if (request.method != "GET" && request.method != "HEAD") return false;
  const std::string& path = request.path;
  const Query query(QueryOf(request));
  if (EndsWithNoCase(path, ".asp") && query.Has("ShowMeTheEmployee")) {
    if (auto photo = FindEmployeePhoto(config_.root, query.Value("KeyField"))) {
      AnswerFile(response, *photo);
    } else {
      AnswerText(response, 404, "no photo for that employee");
    }
    return true;
  }
  if (EndsWithNoCase(path, ".asp") && query.Has("tableid")) {
    if (auto photo = FindStoredPhoto(config_.root, query.Value("tableid"), query.Value("column"),
                                     query.Value("where"))) {
      AnswerFile(response, *photo);
    } else {
      AnswerText(response, 404, "no stored photo for that record");
    }
    return true;
  }
  if (auto file = FindSiteFile(config_.root, path); file && !IsPrivateFile(*file)) {
    AnswerFile(response, *file);
    return true;
  }
  if (EndsWithNoCase(path, "/Blank.html") || EndsWithNoCase(path, "Blank.html")) {
    response.status = 200;
    response.set_content("<html><body></body></html>\n", "text/html");
    return true;
  }
  return false;
}

// The site's own records never go out, even when they sit in the site folder.
bool Site::IsPrivateFile(const fs::path& file) const {
  std::error_code error;
  for (const auto& own : {config_.users_file, config_.log_file, config_.faults_file, config_.tls_key}) {
    if (!own.empty() && fs::equivalent(file, own, error)) return true;
  }
  return false;
}

void Site::Wait(std::uint32_t ms) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!interrupted_ && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void Site::Log(const httplib::Request& request, const httplib::Response& response) {
  LogEntry entry;
  entry.sequence = notes.sequence;
  entry.method = request.method;
  entry.path = request.path;
  entry.query = QueryOf(request);
  entry.user = BasicUser(request.get_header_value("Authorization"));
  entry.status = notes.dropped ? 0 : response.status;
  const std::uint64_t length = response.content_provider_ ? response.content_length_ : response.body.size();
  entry.bytes = notes.dropped ? 0 : std::min(length, notes.cut_after.value_or(length));
  entry.fault = notes.fault;
  log_.Write(entry);
}

}  // namespace lumbra::site
