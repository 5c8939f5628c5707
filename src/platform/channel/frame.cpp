#include "platform/channel/frame.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumbra {
namespace {

void PutInt(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t GetInt(std::string_view in, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[at + i]);
  return value;
}

int MillisecondsUntil(Deadline deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return 0;
  return left.count() > 60'000 ? 60'000 : static_cast<int>(left.count());
}

// Runs op with the socket's address; a path too long for sun_path is reached through an
// O_PATH descriptor of its folder.
template <typename Op>
int WithAddress(const std::filesystem::path& path, Op op) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string text = path.string();
  int folder = -1;
  if (text.size() >= sizeof(address.sun_path)) {
    folder = ::open(path.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return -1;
    text = "/proc/self/fd/" + std::to_string(folder) + "/" + path.filename().string();
    if (text.size() >= sizeof(address.sun_path)) {
      ::close(folder);
      errno = ENAMETOOLONG;
      return -1;
    }
  }
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  int result = op(reinterpret_cast<sockaddr*>(&address), static_cast<socklen_t>(sizeof(address)));
  int saved = errno;
  if (folder >= 0) ::close(folder);
  errno = saved;
  return result;
}

}  // namespace

FrameWriter::FrameWriter(FrameType type, std::uint32_t transaction) {
  body_.push_back(static_cast<char>(type));
  PutInt(body_, transaction);
}

FrameWriter& FrameWriter::Text(std::string_view bytes) {
  PutInt(body_, static_cast<std::uint32_t>(bytes.size()));
  body_.append(bytes);
  return *this;
}

FrameWriter& FrameWriter::Int(std::uint32_t value) {
  PutInt(body_, value);
  return *this;
}

std::string FrameWriter::Finish() const {
  std::string frame;
  PutInt(frame, static_cast<std::uint32_t>(body_.size()));
  return frame + body_;
}

std::optional<FrameReader> FrameReader::Parse(std::string body) {
  if (body.size() < 5) return std::nullopt;
  FrameReader reader;
  reader.type_ = static_cast<FrameType>(static_cast<unsigned char>(body[0]));
  reader.transaction_ = GetInt(body, 1);
  reader.body_ = std::move(body);
  return reader;
}

std::optional<std::string> FrameReader::Text() {
  auto length = Int();
  if (!length || body_.size() - position_ < *length) return std::nullopt;
  std::string text = body_.substr(position_, *length);
  position_ += *length;
  return text;
}

std::optional<std::uint32_t> FrameReader::Int() {
  if (body_.size() - position_ < 4) return std::nullopt;
  std::uint32_t value = GetInt(body_, position_);
  position_ += 4;
  return value;
}

Deadline DeadlineAfter(std::uint32_t ms) { return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms); }

ReadStatus FrameStream::Read(std::string& body, Deadline deadline, int wake_fd) {
  for (;;) {
    if (buffer_.size() >= 4) {
      std::uint32_t length = GetInt(buffer_, 0);
      if (length > kMaxFrameBytes) return ReadStatus::Malformed;
      if (buffer_.size() - 4 >= length) {
        body = buffer_.substr(4, length);
        buffer_.erase(0, 4 + static_cast<std::size_t>(length));
        return ReadStatus::Frame;
      }
    }
    pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    int ready = ::poll(fds, wake_fd >= 0 ? 2 : 1, MillisecondsUntil(deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return ReadStatus::Closed;
    }
    if (wake_fd >= 0 && (fds[1].revents & POLLIN)) return ReadStatus::Timeout;
    if (ready == 0) {
      if (std::chrono::steady_clock::now() >= deadline) return ReadStatus::Timeout;
      continue;
    }
    char chunk[4096];
    ssize_t got = ::recv(socket_, chunk, sizeof(chunk), 0);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return ReadStatus::Closed;
    buffer_.append(chunk, static_cast<std::size_t>(got));
  }
}

bool FrameStream::Write(const std::string& frame, std::uint32_t limit_ms) {
  Deadline deadline = DeadlineAfter(limit_ms);
  std::size_t sent = 0;
  while (sent < frame.size()) {
    ssize_t n = ::send(socket_, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd fd{socket_, POLLOUT, 0};
      int wait = MillisecondsUntil(deadline);
      if (wait == 0 || ::poll(&fd, 1, wait) == 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

std::filesystem::path ServiceSocketPath(const std::filesystem::path& dde_folder, std::string_view service) {
  std::string name(service);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return dde_folder / (name + ".sock");
}

int ConnectUnixSocket(const std::filesystem::path& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int result = WithAddress(path, [fd](const sockaddr* address, socklen_t size) { return ::connect(fd, address, size); });
  if (result < 0) {
    int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

int ListenUnixSocket(const std::filesystem::path& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int result = WithAddress(path, [fd](const sockaddr* address, socklen_t size) { return ::bind(fd, address, size); });
  if (result < 0 || ::listen(fd, 16) < 0) {
    int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

}  // namespace lumbra
