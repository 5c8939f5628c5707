#pragma once
// Frames of the command channel: a 4-byte little-endian length of what follows, a 1-byte
// type, a 4-byte transaction id, then the fields. A text or data field is a 4-byte length and
// its bytes; an integer field is 4 bytes. All integers are little-endian.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/channel/dde_codes.h"

namespace lumbra {

// Larger frames are a protocol error: nothing this channel carries comes near it.
inline constexpr std::uint32_t kMaxFrameBytes = 16 * 1024 * 1024;

class FrameWriter {
 public:
  FrameWriter(FrameType type, std::uint32_t transaction);
  FrameWriter& Text(std::string_view bytes);
  FrameWriter& Int(std::uint32_t value);
  // The whole frame, length prefix included.
  std::string Finish() const;

 private:
  std::string body_;
};

class FrameReader {
 public:
  // body: the frame without its length prefix; nullopt when shorter than type and id.
  static std::optional<FrameReader> Parse(std::string body);
  FrameType Type() const { return type_; }
  std::uint32_t Transaction() const { return transaction_; }
  // nullopt when the frame ends early.
  std::optional<std::string> Text();
  std::optional<std::uint32_t> Int();

 private:
  FrameReader() = default;
  FrameType type_ = FrameType::Ack;
  std::uint32_t transaction_ = 0;
  std::string body_;
  std::size_t position_ = 5;
};

using Deadline = std::chrono::steady_clock::time_point;
Deadline DeadlineAfter(std::uint32_t ms);

enum class ReadStatus { Frame, Timeout, Closed, Malformed };

// One end of a connection: buffered frame reads and whole-frame writes, each bounded.
class FrameStream {
 public:
  explicit FrameStream(int socket) : socket_(socket) {}
  // Waits until a whole frame is in, the deadline passes, the peer closes, or wake_fd (when
  // not -1) becomes readable (reported as Timeout).
  ReadStatus Read(std::string& body, Deadline deadline, int wake_fd = -1);
  bool Write(const std::string& frame, std::uint32_t limit_ms = 5000);
  int Socket() const { return socket_; }

 private:
  int socket_;
  std::string buffer_;
};

// run/dde/<service in lower case>.sock
std::filesystem::path ServiceSocketPath(const std::filesystem::path& dde_folder, std::string_view service);
// A connected stream socket (close-on-exec), or -1 with errno set.
int ConnectUnixSocket(const std::filesystem::path& path);
// A listening socket bound to path, or -1 with errno set. Works for paths longer than the
// socket address allows.
int ListenUnixSocket(const std::filesystem::path& path);

}  // namespace lumbra
