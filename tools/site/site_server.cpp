#include "site/site_server.h"

#include <httplib.h>

#include <chrono>
#include <csignal>
#include <stdexcept>

namespace lumbra::site {
namespace {

std::unique_ptr<httplib::Server> MakeServer(const SiteConfig& config) {
  if (config.tls_cert.empty() != config.tls_key.empty()) {
    throw std::runtime_error("TLS needs both a certificate and a key");
  }
  if (config.tls_cert.empty()) return std::make_unique<httplib::Server>();
  auto server = std::make_unique<httplib::SSLServer>(config.tls_cert.c_str(), config.tls_key.c_str());
  if (!server->is_valid()) {
    throw std::runtime_error("cannot use the TLS certificate " + config.tls_cert.string() + " with key " +
                             config.tls_key.string());
  }
  return server;
}

}  // namespace

SiteServer::SiteServer(SiteConfig config) : site_(std::move(config)), server_(MakeServer(site_.Config())) {
  // A client that hangs up mid-answer must not kill the process (TLS writes bypass send flags).
  std::signal(SIGPIPE, SIG_IGN);
  site_.Install(*server_);
  const auto& wanted = site_.Config();
  port_ = wanted.port == 0 ? server_->bind_to_any_port(wanted.bind_address)
                           : (server_->bind_to_port(wanted.bind_address, wanted.port) ? wanted.port : -1);
  if (port_ <= 0) {
    throw std::runtime_error("cannot listen on " + wanted.bind_address + ":" + std::to_string(wanted.port));
  }
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // A stop before the server runs would be lost and leave it serving for ever.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!server_->is_running() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

SiteServer::~SiteServer() { Stop(); }

void SiteServer::Wait() {
  if (thread_.joinable()) thread_.join();
}

void SiteServer::Stop() {
  site_.Interrupt();
  server_->stop();
  Wait();
}

}  // namespace lumbra::site
