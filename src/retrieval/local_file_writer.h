#pragma once
// A file created (or truncated) for binary writing. Writes are gathered into larger blocks so
// a body read in small chunks does not cost one system call per chunk. Errors keep their errno
// so they can be reported with the platform's texts.
#include <string>
#include <string_view>
#include <vector>

namespace lumbra {

class LocalFileWriter {
 public:
  LocalFileWriter() = default;
  ~LocalFileWriter();
  LocalFileWriter(const LocalFileWriter&) = delete;
  LocalFileWriter& operator=(const LocalFileWriter&) = delete;

  // 0 on success, else the errno.
  int Create(const std::string& host_path);
  int Write(std::string_view bytes);
  // Writes what is gathered and closes the file; 0 on success, else the errno.
  int Finish();
  // Closes (when still open) and deletes the file.
  void Discard();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int Flush();

  int fd_ = -1;
  std::string host_path_;
  std::vector<char> pending_;
};

}  // namespace lumbra
