#pragma once
// A temporary workstation root with a full set of services (scripted UI, virtual clock),
// installed for the process while the fixture lives. The folder is removed afterwards.
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/base/clock.h"
#include "platform/base/files.h"
#include "platform/base/registry.h"
#include "platform/base/root.h"
#include "platform/base/services.h"
#include "platform/ui/scripted_ui.h"

namespace lumbra::testing {

inline std::filesystem::path MakeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lumbra-auto-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  return pattern;
}

struct TempServices {
  TempServices()
      : folder(MakeTempFolder()),
        root{folder},
        files((root.EnsureCreated(), root.root)),
        registry(root.RegistryDir()),
        services{root, files, registry, clock, ui} {
    InstallServices(&services);
  }
  ~TempServices() {
    InstallServices(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  TempServices(const TempServices&) = delete;
  TempServices& operator=(const TempServices&) = delete;

  std::filesystem::path folder;
  RootLayout root;
  FileSystem files;
  Registry registry;
  VirtualClock clock;
  ScriptedUi ui;
  Services services;
};

}  // namespace lumbra::testing
