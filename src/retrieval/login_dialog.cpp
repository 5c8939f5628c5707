#include "retrieval/login_dialog.h"

#include "platform/ui/user_interface.h"

namespace lumbra {

bool LoginDialog::Show(UserInterface& ui) {
  const auto answer = ui.AskLogin(LoginRequest{kTitle, message, user, password});
  if (!answer) return false;
  // The entries hold no more than their edit fields take.
  user = answer->user.substr(0, kLoginUserMax);
  password = answer->password.substr(0, kLoginPasswordMax);
  return true;
}

}  // namespace lumbra
