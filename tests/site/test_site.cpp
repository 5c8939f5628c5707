#include "test_site.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <fstream>
#include <random>
#include <stdexcept>

namespace lumbra::testing {
namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::random_device random;
  path_ = fs::temp_directory_path() / ("lumbra-web-" + std::to_string(getpid()) + "-" + std::to_string(random()));
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
}

fs::path TempFolder::Write(const fs::path& relative, std::string_view content) const {
  const fs::path file = path_ / relative;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  return file;
}

TlsFiles MakeTlsFiles(const fs::path& folder, const std::string& host) {
  TlsFiles files{folder / "ca.pem", folder / "server.pem", folder / "server.key"};
  const std::string dir = folder.string();
  std::ofstream(folder / "san.ext") << "subjectAltName=DNS:" << host << "\n";
  const std::string quiet = " >/dev/null 2>&1";
  const std::string commands =
      "cd '" + dir + "' && " +
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.pem"
      " -days 2 -subj '/CN=Lumbra Test CA'" + quiet + " && " +
      "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key -out server.csr"
      " -subj '/CN=" + host + "'" + quiet + " && " +
      "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2"
      " -extfile san.ext" + quiet;
  if (std::system(commands.c_str()) != 0) throw std::runtime_error("openssl could not make test certificates");
  return files;
}

TestSite::TestSite(TestSiteOptions options) : root_(folder_.Path() / "site") {
  fs::create_directories(root_);
  site::SiteConfig config;
  config.root = root_;
  config.log_file = folder_.Path() / "requests.log";
  config.faults_file = folder_.Path() / "faults";
  if (!options.users.empty()) config.users_file = folder_.Write("users", options.users);
  if (!options.tls_host.empty()) {
    tls_ = MakeTlsFiles(folder_.Path(), options.tls_host);
    config.tls_cert = tls_.server_cert;
    config.tls_key = tls_.server_key;
  }
  server_ = std::make_unique<site::SiteServer>(config);
}

void TestSite::Put(const fs::path& relative, std::string_view content) const {
  fs::create_directories((root_ / relative).parent_path());
  std::ofstream(root_ / relative, std::ios::binary) << content;
}

void TestSite::SetFaults(const std::vector<std::string>& rules) const {
  std::ofstream out(folder_.Path() / "faults");
  for (const auto& rule : rules) out << rule << "\n";
}

std::vector<std::string> TestSite::LogLines(std::size_t count) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (true) {
    std::vector<std::string> lines;
    std::ifstream in(folder_.Path() / "requests.log");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (lines.size() >= count || std::chrono::steady_clock::now() > end) return lines;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace lumbra::testing
