#pragma once
// The site's pages on an httplib server: files of the site folder (names matched without regard
// to case), Blank.html, the employee and stored-photo pages, Basic authentication, fault
// injection and the request log.
//
// Extension point: pages of other subsystems live in their own files of this folder and are
// added by one registration call in Site::Install, each taking the server and the SiteContext.
// Such a page sees only requests that passed authentication and the fault rules, and is logged
// like every other request. GET requests that name a site file or a photo page are answered
// before any registered route; every POST goes to the registered routes.
#include <atomic>
#include <filesystem>
#include <mutex>

#include "site/request_log.h"
#include "site/site_config.h"
#include "site/users.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace lumbra::site {

struct SiteContext {
  const SiteConfig& config;
  RequestLog& log;
};

class Site {
 public:
  // Reads the users file; throws std::runtime_error when it or the log cannot be opened.
  explicit Site(SiteConfig config);

  // Installs the pages, the checks and the log on `server`. The site must outlive the server.
  void Install(httplib::Server& server);

  // Ends the delays of fault rules at once, so the server can stop.
  void Interrupt() { interrupted_ = true; }

  const SiteConfig& Config() const { return config_; }

 private:
  bool Prepare(const httplib::Request& request, httplib::Response& response);
  bool Answer(const httplib::Request& request, httplib::Response& response);
  bool IsPrivateFile(const std::filesystem::path& file) const;
  void Wait(std::uint32_t ms) const;
  void Log(const httplib::Request& request, const httplib::Response& response);

  SiteConfig config_;
  Users users_;
  RequestLog log_;
  std::atomic<std::uint64_t> arrivals_{0};
  SiteContext context_{config_, log_};
  std::atomic<bool> interrupted_{false};
};

}  // namespace lumbra::site
