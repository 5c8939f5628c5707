#pragma once
// The server end of the command channel: registers a service by listening on its socket and
// serves one conversation per connection. The handler answers transactions; it is called from
// the connection's own thread, so a handler that serves several conversations locks its state.
// docs/channel.md describes the protocol for servers written without this library.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/channel/dde_codes.h"

namespace lumbra {

class DdeServerHandler {
 public:
  virtual ~DdeServerHandler() = default;
  // Whether the topic is served (compare it without regard to case).
  virtual bool AcceptTopic(std::string_view topic) = 0;
  // DdeError::None acknowledges; NotProcessed or Busy refuses.
  virtual DdeError Execute(std::string_view command) = 0;
  // The item's data, or the error to answer with.
  struct Answer {
    DdeError error = DdeError::None;
    std::string data;
  };
  virtual Answer Request(std::string_view item, std::uint32_t format) = 0;
  // DdeError::None starts the loop; the server then sends what Advise() publishes for the item.
  virtual DdeError AdviseStart(std::string_view item, std::uint32_t format) = 0;
};

class DdeServer {
 public:
  DdeServer(std::filesystem::path dde_folder, std::string service, DdeServerHandler& handler);
  ~DdeServer();
  DdeServer(const DdeServer&) = delete;
  DdeServer& operator=(const DdeServer&) = delete;

  // Listens on the service's socket, replacing a stale one. False, with a reason, when another
  // server serves the service or the socket cannot be made.
  bool Start(std::string& error);
  // Closes every conversation (the clients see the server die) and the socket.
  void Stop();

  // Sends the data to every conversation with an advise loop on the item (compared without
  // regard to case); a warm loop gets the notice without the data.
  void Advise(std::string_view item, std::string_view data);

 private:
  struct Connection;
  void AcceptLoop();
  void Serve(Connection& connection);

  std::filesystem::path dde_folder_;
  std::string service_;
  DdeServerHandler& handler_;
  int listener_ = -1;
  int wake_ = -1;  // eventfd: readable once Stop() runs
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  std::mutex mutex_;
  std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace lumbra
