#pragma once
// A lumbra-site in the test process: a temporary site folder, users, faults and log files, and
// the server on an ephemeral port of 127.0.0.1. Also a throwaway CA and server certificate for
// TLS tests.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "site/site_server.h"

namespace lumbra::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Writes a file below the folder, creating its folders; returns its path.
  std::filesystem::path Write(const std::filesystem::path& relative, std::string_view content) const;

 private:
  std::filesystem::path path_;
};

struct TlsFiles {
  std::filesystem::path ca_cert;
  std::filesystem::path server_cert;
  std::filesystem::path server_key;
};

// A CA and a certificate for `host` issued by it, made with the openssl command.
TlsFiles MakeTlsFiles(const std::filesystem::path& folder, const std::string& host);

struct TestSiteOptions {
  std::string users;     // users file text; "" for an open site
  std::string tls_host;  // "" for plain HTTP; otherwise a certificate for this name
};

class TestSite {
 public:
  explicit TestSite(TestSiteOptions options = {});

  int Port() const { return server_->Port(); }
  const std::filesystem::path& Root() const { return root_; }
  // The CA that issued the TLS certificate (TLS sites only).
  const std::filesystem::path& CaCert() const { return tls_.ca_cert; }

  // A file of the site folder.
  void Put(const std::filesystem::path& relative, std::string_view content) const;
  // Replaces the fault rules (one JSON object per line).
  void SetFaults(const std::vector<std::string>& rules) const;
  // The request log's lines, once there are at least `count` of them (the site writes a line
  // just after the answer has gone out) or two seconds have passed.
  std::vector<std::string> LogLines(std::size_t count) const;

 private:
  TempFolder folder_;
  std::filesystem::path root_;
  TlsFiles tls_;
  std::unique_ptr<site::SiteServer> server_;
};

}  // namespace lumbra::testing
