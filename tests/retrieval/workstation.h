#pragma once
// A workstation for retrieval tests: a temporary root with its registry, a scripted UI, and the
// account properties a control would hold, pointed at a test site.
#include <fstream>
#include <iterator>
#include <string>

#include "platform/base/services.h"
#include "platform/ui/scripted_ui.h"
#include "retrieval/server_account.h"
#include "test_site.h"

namespace lumbra::testing {

struct Workstation {
  explicit Workstation(const TestSite& site)
      : account{"127.0.0.1", std::to_string(site.Port()), "op", "pw"} {}

  std::string LocalPath(const std::string& name) const { return (folder.Path() / name).string(); }

  TempFolder folder;
  RootLayout root{folder.Path()};
  FileSystem files{folder.Path()};
  Registry registry{folder.Path() / "registry"};
  RealClock clock;
  ScriptedUi ui;
  Services services{root, files, registry, clock, ui};
  ServerAccount account;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace lumbra::testing
