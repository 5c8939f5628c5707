#include "platform/channel/dde_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "platform/channel/frame.h"

namespace lumbra {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

constexpr std::uint32_t kNoDeadlineSliceMs = 60'000;

}  // namespace

struct DdeServer::Connection {
  explicit Connection(int fd) : socket(fd), stream(fd) {}
  int socket;
  FrameStream stream;
  std::mutex write_mutex;
  bool connected = false;                    // CONNECT was acknowledged
  std::map<std::string, bool> advise_loops;  // lower-case item -> hot
  bool finished = false;
  std::thread thread;

  bool Send(const std::string& frame, std::uint32_t limit_ms = 5000) {
    std::lock_guard lock(write_mutex);
    return stream.Write(frame, limit_ms);
  }
};

DdeServer::DdeServer(std::filesystem::path dde_folder, std::string service, DdeServerHandler& handler)
    : dde_folder_(std::move(dde_folder)), service_(std::move(service)), handler_(handler) {}

DdeServer::~DdeServer() { Stop(); }

bool DdeServer::Start(std::string& error) {
  std::error_code ignored;
  std::filesystem::create_directories(dde_folder_, ignored);
  std::filesystem::path path = ServiceSocketPath(dde_folder_, service_);
  if (std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) {
    int probe = ConnectUnixSocket(path);
    if (probe >= 0) {
      ::close(probe);
      error = "the service " + service_ + " is already served at " + path.string();
      return false;
    }
    // Nobody listens: the socket was left by a server that ended without removing it.
    std::filesystem::remove(path, ignored);
  }
  stopping_ = false;
  listener_ = ListenUnixSocket(path);
  if (listener_ < 0) {
    error = "cannot listen at " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  acceptor_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void DdeServer::Stop() {
  if (listener_ < 0) return;
  stopping_ = true;
  std::uint64_t one = 1;
  [[maybe_unused]] auto written = ::write(wake_, &one, sizeof(one));
  acceptor_.join();
  std::list<std::unique_ptr<Connection>> connections;
  {
    std::lock_guard lock(mutex_);
    connections.swap(connections_);
  }
  // Each conversation ends at its next read: an answer being made now is still sent, so that
  // the client that asked the server to end hears its acknowledgement.
  for (auto& connection : connections) {
    connection->thread.join();
    ::close(connection->socket);
  }
  std::error_code ignored;
  std::filesystem::remove(ServiceSocketPath(dde_folder_, service_), ignored);
  ::close(listener_);
  ::close(wake_);
  listener_ = wake_ = -1;
}

void DdeServer::AcceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
    if (fds[1].revents & POLLIN) return;
    if (!(fds[0].revents & POLLIN)) continue;
    int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) continue;
    std::lock_guard lock(mutex_);
    // Conversations that ended are joined here, so threads do not pile up.
    for (auto it = connections_.begin(); it != connections_.end();) {
      if ((*it)->finished) {
        (*it)->thread.join();
        ::close((*it)->socket);
        it = connections_.erase(it);
      } else {
        ++it;
      }
    }
    auto& connection = connections_.emplace_back(std::make_unique<Connection>(socket));
    Connection* raw = connection.get();
    connection->thread = std::thread([this, raw] { Serve(*raw); });
  }
}

void DdeServer::Serve(Connection& connection) {
  auto nack = [&](std::uint32_t transaction, DdeError code) {
    return connection.Send(FrameWriter(FrameType::Nack, transaction).Int(static_cast<std::uint32_t>(code)).Finish());
  };
  auto ack = [&](std::uint32_t transaction) { return connection.Send(FrameWriter(FrameType::Ack, transaction).Finish()); };
  for (;;) {
    std::string body;
    ReadStatus status = connection.stream.Read(body, DeadlineAfter(kNoDeadlineSliceMs), wake_);
    if (status == ReadStatus::Timeout) {
      if (stopping_) break;
      continue;
    }
    if (status != ReadStatus::Frame) break;
    auto reader = FrameReader::Parse(std::move(body));
    if (!reader) break;

    std::uint32_t transaction = reader->Transaction();
    bool sent = true;
    if (reader->Type() == FrameType::Connect) {
      auto service = reader->Text();
      auto topic = reader->Text();
      bool accepted = service && topic && Lower(*service) == Lower(service_) && handler_.AcceptTopic(*topic);
      std::lock_guard lock(mutex_);
      connection.connected = accepted;
      sent = accepted ? ack(transaction) : nack(transaction, DdeError::NoConversationEstablished);
      if (!accepted) break;
      continue;
    }
    if (!connection.connected || reader->Type() == FrameType::Disconnect) break;
    switch (reader->Type()) {
      case FrameType::Execute: {
        auto command = reader->Text();
        if (!command) {
          sent = false;
          break;
        }
        DdeError error = handler_.Execute(*command);
        sent = error == DdeError::None ? ack(transaction) : nack(transaction, error);
        break;
      }
      case FrameType::Request: {
        auto item = reader->Text();
        auto format = reader->Int();
        if (!item || !format) break;
        auto answer = handler_.Request(*item, *format);
        sent = answer.error == DdeError::None
                   ? connection.Send(FrameWriter(FrameType::Data, transaction).Text(answer.data).Finish())
                   : nack(transaction, answer.error);
        break;
      }
      case FrameType::AdviseStart: {
        auto item = reader->Text();
        auto format = reader->Int();
        auto hot = reader->Int();
        if (!item || !format || !hot) break;
        DdeError error = handler_.AdviseStart(*item, *format);
        if (error == DdeError::None) {
          std::lock_guard lock(mutex_);
          connection.advise_loops[Lower(*item)] = *hot != 0;
        }
        sent = error == DdeError::None ? ack(transaction) : nack(transaction, error);
        break;
      }
      case FrameType::AdviseStop: {
        if (auto item = reader->Text()) {
          std::lock_guard lock(mutex_);
          connection.advise_loops.erase(Lower(*item));
        }
        break;
      }
      default:
        sent = nack(transaction, DdeError::NotProcessed);
        break;
    }
    if (!sent) break;
  }
  ::shutdown(connection.socket, SHUT_RDWR);
  std::lock_guard lock(mutex_);
  connection.finished = true;
  connection.advise_loops.clear();
}

void DdeServer::Advise(std::string_view item, std::string_view data) {
  std::string key = Lower(item);
  std::lock_guard lock(mutex_);
  for (auto& connection : connections_) {
    auto loop = connection->advise_loops.find(key);
    if (connection->finished || loop == connection->advise_loops.end()) continue;
    std::string_view sent = loop->second ? data : std::string_view();
    // A client that does not read for a second loses its conversation rather than stall the
    // server: a frame sent in part cannot be taken back.
    if (!connection->Send(FrameWriter(FrameType::AdviseData, 0).Text(item).Int(kFormatText).Text(sent).Finish(), 1000)) {
      ::shutdown(connection->socket, SHUT_RDWR);
    }
  }
}

}  // namespace lumbra
