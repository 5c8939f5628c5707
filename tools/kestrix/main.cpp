// kestrix-sim: a stand-in for the card-production application, so that both controls can be run
// and tested without it. See docs/kestrix-sim.md.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "application.h"
#include "platform/base/root.h"
#include "settings.h"

namespace {

constexpr char kUsage[] =
    "usage: kestrix-sim [--data DIR] [-I] [-N<user>] [-P<password>] [-S]\n"
    "Serves the \"Kestrix\" command channel until it is sent [DESTROYKX] or is terminated.\n"
    "Without --data, the data folder is the folder the program was started from (a KX.exe,\n"
    "KXX.exe or KXPE.exe link there), so the command line that the controls build works.\n";

std::atomic<bool> stop_requested{false};

void RequestStop(int) { stop_requested = true; }

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path data_folder = std::filesystem::absolute(argv[0]).parent_path();
  std::string user;
  std::string password;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--data" && i + 1 < argc) {
      data_folder = std::filesystem::absolute(argv[++i]);
    } else if (arg.rfind("-N", 0) == 0) {
      user = arg.substr(2);
    } else if (arg.rfind("-P", 0) == 0) {
      password = arg.substr(2);
    } else if (arg == "-I" || arg == "-S") {
      // Interactive-off and silent-start switches of the real application: nothing to do here.
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "kestrix-sim: unknown argument \"%s\"\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  if (!std::filesystem::is_directory(data_folder)) {
    std::fprintf(stderr, "kestrix-sim: the data folder %s does not exist\n", data_folder.c_str());
    return 2;
  }
  lumbra::kestrix::Settings settings = lumbra::kestrix::LoadSettings(data_folder);
  if ((!settings.user.empty() && user != settings.user) || (!settings.password.empty() && password != settings.password)) {
    std::fprintf(stderr, "kestrix-sim: login refused for user \"%s\"\n", user.c_str());
    return 3;
  }

  try {
    lumbra::RootLayout root = lumbra::RootLayout::FromEnvironment();
    root.EnsureCreated();
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    lumbra::kestrix::Application application(root, data_folder, settings, user);
    std::string error;
    if (!application.Start(error)) {
      std::fprintf(stderr, "kestrix-sim: %s\n", error.c_str());
      return 1;
    }
    std::fprintf(stderr, "kestrix-sim: serving Kestrix/Production for %s, data in %s\n",
                 user.empty() ? "(no login)" : user.c_str(), data_folder.c_str());
    application.Run(stop_requested);
    application.Stop();
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "kestrix-sim: %s\n", failure.what());
    return 1;
  }
  return 0;
}
