// lumbra-site --root SITE_DIR --port N [--bind 127.0.0.1] [--users FILE]
//             [--tls-cert F --tls-key F] [--log FILE] [--faults FILE]
// Serves until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <exception>
#include <map>
#include <string>

#include "site/site_server.h"

namespace {

constexpr const char* kUsage =
    "usage: lumbra-site --root SITE_DIR --port N [--bind ADDRESS] [--users FILE]\n"
    "                   [--tls-cert FILE --tls-key FILE] [--log FILE] [--faults FILE]\n";

lumbra::site::SiteConfig ParseArguments(int argc, char** argv) {
  std::map<std::string, std::string> options;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name.rfind("--", 0) != 0 || i + 1 >= argc) throw std::invalid_argument("unexpected argument " + name);
    options[name] = argv[++i];
  }
  lumbra::site::SiteConfig config;
  for (const auto& [name, value] : options) {
    if (name == "--root") config.root = value;
    else if (name == "--port") config.port = std::stoi(value);
    else if (name == "--bind") config.bind_address = value;
    else if (name == "--users") config.users_file = value;
    else if (name == "--tls-cert") config.tls_cert = value;
    else if (name == "--tls-key") config.tls_key = value;
    else if (name == "--log") config.log_file = value;
    else if (name == "--faults") config.faults_file = value;
    else throw std::invalid_argument("unknown option " + name);
  }
  if (config.root.empty()) throw std::invalid_argument("--root is required");
  if (!std::filesystem::is_directory(config.root)) {
    throw std::invalid_argument("the site folder " + config.root.string() + " does not exist");
  }
  if (config.port < 0 || config.port > 65535) throw std::invalid_argument("--port must be 0 to 65535");
  return config;
}

}  // namespace

int main(int argc, char** argv) {
  lumbra::site::SiteConfig config;
  try {
    config = ParseArguments(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "lumbra-site: %s\n%s", error.what(), kUsage);
    return 2;
  }
  // The server's threads inherit the blocked signals; only this thread takes them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  try {
    lumbra::site::SiteServer server(config);
    std::printf("lumbra-site: serving %s on %s:%d%s\n", config.root.c_str(), config.bind_address.c_str(),
                server.Port(), config.tls_cert.empty() ? "" : " (TLS)");
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.Stop();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "lumbra-site: %s\n", error.what());
    return 1;
  }
  return 0;
}
