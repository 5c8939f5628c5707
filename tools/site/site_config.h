#pragma once
// What one lumbra-site instance serves and where it keeps its records.
#include <filesystem>
#include <string>

namespace lumbra::site {

struct SiteConfig {
  std::filesystem::path root;         // the site folder
  std::filesystem::path users_file;   // "user:password" lines; empty: the site is open
  std::filesystem::path log_file;     // one JSON line per request; empty: no log
  std::filesystem::path faults_file;  // fault rules, re-read on every request; empty: none
  std::string bind_address = "127.0.0.1";
  int port = 0;                       // 0: any free port
  std::filesystem::path tls_cert;     // both set: the site speaks TLS
  std::filesystem::path tls_key;
};

}  // namespace lumbra::site
