#pragma once
// The fixed messages for the channel's error codes, as both controls show them.
#include <string>

#include "platform/channel/dde_codes.h"

namespace lumbra {

struct LinkErrorMessage {
  int number;  // in the control's string table
  std::string text;
};

LinkErrorMessage MessageForLinkError(DdeError error);

}  // namespace lumbra
