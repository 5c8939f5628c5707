#include "site/request_log.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

namespace lumbra::site {

RequestLog::RequestLog(const std::filesystem::path& file) {
  if (file.empty()) return;
  out_.open(file, std::ios::app | std::ios::binary);
  if (!out_) throw std::runtime_error("cannot open the request log " + file.string());
}

void RequestLog::Write(const LogEntry& entry) {
  if (!out_.is_open()) return;
  nlohmann::json line = {{"seq", entry.sequence},   {"method", entry.method}, {"path", entry.path},   {"query", entry.query},
                         {"user", entry.user},     {"status", entry.status}, {"bytes", entry.bytes}};
  if (!entry.fault.empty()) line["fault"] = entry.fault;
  // Paths may carry any byte; the log stays valid JSON.
  const std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::lock_guard lock(mutex_);
  out_ << text << '\n';
  out_.flush();
}

}  // namespace lumbra::site
