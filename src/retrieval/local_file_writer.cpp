#include "retrieval/local_file_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace lumbra {

LocalFileWriter::~LocalFileWriter() {
  if (fd_ >= 0) ::close(fd_);
}

int LocalFileWriter::Create(const std::string& host_path) {
  fd_ = ::open(host_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return errno;
  host_path_ = host_path;
  return 0;
}

int LocalFileWriter::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

void LocalFileWriter::Discard() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(host_path_.c_str());
}

}  // namespace lumbra
