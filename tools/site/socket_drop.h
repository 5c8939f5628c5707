#pragma once
// Closing a request's connection from inside a handler, without any answer: httplib gives a
// handler no socket, so the connection is found by its two addresses.
#include <string>

namespace lumbra::site {

// Shuts down this process's socket whose local and peer ports are these; false when none is.
bool DropConnection(int local_port, const std::string& remote_address, int remote_port);

}  // namespace lumbra::site
