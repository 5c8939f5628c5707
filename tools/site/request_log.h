#pragma once
// The request log: one JSON object per line, appended and flushed as each request ends, so a
// test can read it while the site runs.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

namespace lumbra::site {

struct LogEntry {
  std::uint64_t sequence = 0;  // arrival order, from 1: lines are written as requests end
  std::string method;
  std::string path;
  std::string query;
  std::string user;    // from the Authorization header, "" when none
  int status = 0;      // 0 when the connection was dropped without an answer
  std::uint64_t bytes = 0;  // body bytes sent
  std::string fault;   // the fault applied, "" when none
};

class RequestLog {
 public:
  // An empty path keeps no log.
  explicit RequestLog(const std::filesystem::path& file);

  void Write(const LogEntry& entry);

 private:
  std::mutex mutex_;
  std::ofstream out_;
};

}  // namespace lumbra::site
