#include "retrieval/local_file_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace lumbra {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

int WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

}  // namespace

LocalFileWriter::~LocalFileWriter() {
  if (fd_ >= 0) Finish();
}

int LocalFileWriter::Create(const std::string& host_path) {
  fd_ = ::open(host_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return errno;
  host_path_ = host_path;
  pending_.reserve(kBlockSize);
  return 0;
}

int LocalFileWriter::Write(std::string_view bytes) {
  if (pending_.size() + bytes.size() > kBlockSize) {
    if (const int error = Flush()) return error;
  }
  if (bytes.size() >= kBlockSize) return WriteAll(fd_, bytes.data(), bytes.size());
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  return 0;
}

int LocalFileWriter::Flush() {
  const int error = WriteAll(fd_, pending_.data(), pending_.size());
  pending_.clear();
  return error;
}

int LocalFileWriter::Finish() {
  if (fd_ < 0) return 0;
  int error = Flush();
  if (::close(fd_) != 0 && error == 0) error = errno;
  fd_ = -1;
  return error;
}

void LocalFileWriter::Discard() {
  pending_.clear();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!host_path_.empty()) ::unlink(host_path_.c_str());
  host_path_.clear();
}

}  // namespace lumbra
