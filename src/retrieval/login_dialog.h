#pragma once
// The controls' login dialog, owned by the control and reused: its entries and message line
// keep their values between checks.
#include <string>

namespace lumbra {

class UserInterface;

struct LoginDialog {
  static constexpr const char* kTitle = "Enter Network Password";

  std::string user;      // the "User Name: " entry
  std::string password;  // the "Password: " entry
  std::string message;   // the one-line message above the entries

  // Shows the dialog modally with the current entries. On OK the entries take what the user
  // typed and the result is true; any other close gives false and leaves them.
  bool Show(UserInterface& ui);
};

}  // namespace lumbra
