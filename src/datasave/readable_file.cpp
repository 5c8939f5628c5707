#include "datasave/readable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace lumbra {

ReadableFile::ReadableFile(const std::string& host_path) {
  const int fd = ::open(host_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error_ = errno;
    return;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error_ = S_ISDIR(info.st_mode) ? EISDIR : (errno != 0 ? errno : EACCES);
    ::close(fd);
    return;
  }
  fd_ = fd;
  size_ = static_cast<std::uint64_t>(info.st_size);
  modified_ = info.st_mtim;
}

ReadableFile::~ReadableFile() {
  if (fd_ >= 0) ::close(fd_);
}

ReadableFile::ReadableFile(ReadableFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_), size_(other.size_),
      modified_(other.modified_) {}

ReadableFile& ReadableFile::operator=(ReadableFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    error_ = other.error_;
    size_ = other.size_;
    modified_ = other.modified_;
  }
  return *this;
}

ssize_t ReadableFile::Read(char* out, std::size_t count) {
  for (;;) {
    const ssize_t got = ::read(fd_, out, count);
    if (got >= 0 || errno != EINTR) return got;
  }
}

bool ReadableFile::Rewind() { return ::lseek(fd_, 0, SEEK_SET) == 0; }

bool ReadableFile::Unchanged() const {
  struct stat info {};
  return ::fstat(fd_, &info) == 0 && static_cast<std::uint64_t>(info.st_size) == size_ &&
         info.st_mtim.tv_sec == modified_.tv_sec && info.st_mtim.tv_nsec == modified_.tv_nsec;
}

}  // namespace lumbra
