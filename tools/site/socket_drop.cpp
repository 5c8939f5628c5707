#include "site/socket_drop.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace lumbra::site {
namespace {

struct Endpoint {
  std::string address;
  int port = -1;
};

Endpoint EndpointOf(const sockaddr_storage& storage) {
  char text[INET6_ADDRSTRLEN] = {};
  if (storage.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(storage);
    inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
    return {text, ntohs(in.sin_port)};
  }
  if (storage.ss_family == AF_INET6) {
    const auto& in = reinterpret_cast<const sockaddr_in6&>(storage);
    inet_ntop(AF_INET6, &in.sin6_addr, text, sizeof text);
    return {text, ntohs(in.sin6_port)};
  }
  return {};
}

}  // namespace

bool DropConnection(int local_port, const std::string& remote_address, int remote_port) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    const int fd = std::atoi(entry.path().filename().c_str());
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode)) continue;
    sockaddr_storage local{}, peer{};
    socklen_t local_size = sizeof local, peer_size = sizeof peer;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_size) != 0) continue;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peer_size) != 0) continue;
    const Endpoint mine = EndpointOf(local), theirs = EndpointOf(peer);
    if (mine.port == local_port && theirs.port == remote_port && theirs.address == remote_address) {
      return shutdown(fd, SHUT_RDWR) == 0;
    }
  }
  return false;
}

}  // namespace lumbra::site
