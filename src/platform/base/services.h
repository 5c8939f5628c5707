#pragma once
// The platform services a component works with. The host builds one set and installs it
// before it creates components; tests build their own (temporary root, virtual clock,
// scripted UI) and hand it to the objects they create.
#include "platform/base/clock.h"
#include "platform/base/files.h"
#include "platform/base/registry.h"
#include "platform/base/root.h"

namespace lumbra {

class UserInterface;

struct Services {
  RootLayout root;
  FileSystem& files;
  Registry& registry;
  Clock& clock;
  UserInterface& ui;
};

// The set installed for this process; throws std::logic_error when none is installed.
Services& CurrentServices();
// Installs (or, with nullptr, removes) the process's set. The caller keeps it alive.
void InstallServices(Services* services);

}  // namespace lumbra
