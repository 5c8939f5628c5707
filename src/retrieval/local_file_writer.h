#pragma once
// A file created (or truncated) for binary writing, closed when the object goes. Errors keep
// their errno so they can be reported with the platform's texts.
#include <string>
#include <string_view>

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
  // Closes and deletes the file.
  void Discard();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  std::string host_path_;
};

}  // namespace lumbra
