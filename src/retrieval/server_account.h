#pragma once
// The control properties every web request is made with. The control keeps them; retrieval
// reads them at each call and empties the two credentials when the server refuses them.
#include <string>

namespace lumbra {

struct ServerAccount {
  std::string server_url;     // ServerURL: the host name
  std::string port;           // PORT: decimal text, 80 when not positive, 443 means TLS
  std::string user_id;        // UserID
  std::string user_password;  // UserPassword
};

}  // namespace lumbra
