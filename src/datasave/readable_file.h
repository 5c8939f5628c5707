#pragma once
// A local file opened for reading, with the size and modification time it had when opened.
// Only regular files open; a folder fails with EISDIR, as the platform refuses to open one.
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace lumbra {

class ReadableFile {
 public:
  explicit ReadableFile(const std::string& host_path);
  ~ReadableFile();
  ReadableFile(ReadableFile&& other) noexcept;
  ReadableFile& operator=(ReadableFile&& other) noexcept;
  ReadableFile(const ReadableFile&) = delete;
  ReadableFile& operator=(const ReadableFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int Error() const { return error_; }  // errno of a failed open
  std::uint64_t Size() const { return size_; }

  // Like read(2), retried on EINTR; -1 with errno set on failure.
  ssize_t Read(char* out, std::size_t count);
  // Back to the first byte.
  bool Rewind();
  // True while the file still has the size and modification time it was opened with.
  bool Unchanged() const;

 private:
  int fd_ = -1;
  int error_ = 0;
  std::uint64_t size_ = 0;
  timespec modified_{};
};

}  // namespace lumbra
