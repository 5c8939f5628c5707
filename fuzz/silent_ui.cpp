#include "silent_ui.h"

namespace lumbra {

Answer SilentUi::ShowMessage(const MessageBoxRequest& request) {
  ++messages_;
  return request.buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

}  // namespace lumbra
