#pragma once
// A running site: an httplib server (TLS when a certificate is configured) on its own thread.
// Tests start one on port 0 and read the port it got.
#include <memory>
#include <thread>

#include "site/site.h"

namespace lumbra::site {

class SiteServer {
 public:
  // Binds and starts serving; throws std::runtime_error when it cannot.
  explicit SiteServer(SiteConfig config);
  ~SiteServer();
  SiteServer(const SiteServer&) = delete;
  SiteServer& operator=(const SiteServer&) = delete;

  int Port() const { return port_; }
  const SiteConfig& Config() const { return site_.Config(); }
  // Serves until Stop is called from another thread (the command's main loop).
  void Wait();
  void Stop();

 private:
  Site site_;
  std::unique_ptr<httplib::Server> server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace lumbra::site
