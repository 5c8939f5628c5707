#pragma once
// lumbra-site started as a separate process for end-to-end tests, and stopped again.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace lumbra::testing {

class SiteProcess {
 public:
  SiteProcess() = default;
  ~SiteProcess() { Stop(); }
  SiteProcess(const SiteProcess&) = delete;
  SiteProcess& operator=(const SiteProcess&) = delete;

  // Starts the program with its arguments, its output going to `output`, and waits at most
  // `limit` until it says which loopback port it serves. "" on success, else what went wrong.
  std::string Start(const std::string& program, const std::vector<std::string>& arguments,
                    const std::filesystem::path& output, std::chrono::seconds limit);
  int Port() const { return port_; }
  void Stop();

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// The whole of a file, "" when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace lumbra::testing
