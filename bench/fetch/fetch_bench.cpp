// fetch_bench HOST PORT PATH LOCAL_FILE
// One ServerFetch of PATH into LOCAL_FILE, as the print control makes it; exits 0 on 200.
#include <cstdio>
#include <filesystem>

#include "platform/base/services.h"
#include "platform/ui/scripted_ui.h"
#include "retrieval/web_retrieval.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: fetch_bench HOST PORT PATH LOCAL_FILE\n");
    return 2;
  }
  const auto root = std::filesystem::temp_directory_path() / "lumbra-fetch-bench";
  std::filesystem::create_directories(root);
  lumbra::RootLayout layout{root};
  lumbra::FileSystem files(root);
  lumbra::Registry registry(layout.RegistryDir());
  lumbra::RealClock clock;
  lumbra::ScriptedUi ui;
  lumbra::Services services{layout, files, registry, clock, ui};
  lumbra::ServerAccount account{argv[1], argv[2], "", ""};
  lumbra::WebRetrieval retrieval(services, account, lumbra::RetrievalVariant::kPrintControl);
  const int status = retrieval.ServerFetch("", argv[3], argv[4], false);
  for (const auto& text : ui.MessageTexts()) std::fprintf(stderr, "%s\n", text.c_str());
  if (status != 200) std::fprintf(stderr, "status %d\n", status);
  return status == 200 ? 0 : 1;
}
