// The `lumbra` command: runs page scripts against the registered components, registers
// component modules, and edits the registry stand-in.
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/module_registration.h"
#include "host/page_runner.h"
#include "platform/base/clock.h"
#include "platform/base/files.h"
#include "platform/base/reg_command.h"
#include "platform/base/registry.h"
#include "platform/base/root.h"
#include "platform/base/services.h"
#include "platform/ui/scripted_ui.h"
#include "platform/ui/terminal_ui.h"

namespace lumbra {
namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  lumbra run [--ui tty|script] [--answers FILE] [--journal FILE] PAGE.js [ARGS...]\n"
    "      Runs a page script. In the script, new ActiveXObject(\"PROGID\") creates a\n"
    "      registered component; its properties read and write as properties and its\n"
    "      methods are functions; a failed call throws an Error with number and\n"
    "      description. print(...) writes a line; the array args holds ARGS.\n"
    "      --ui tty      questions and dialogs at the terminal (the default)\n"
    "      --ui script   answers from --answers FILE, one non-empty line per question or\n"
    "                    dialog, in order; --journal FILE receives one JSON line for\n"
    "                    everything shown\n"
    "      Exit status: 0 done, 1 script error (reported as FILE:LINE: message), 2 usage.\n"
    "  lumbra register MODULE     Registers the component module (DllRegisterServer).\n"
    "  lumbra unregister MODULE   Removes its registration (DllUnregisterServer).\n"
    "      Exit status: 0 done, 3 module not loaded, 4 entry point missing, 5 call failed.\n"
    "  lumbra reg query|add|delete|import|export ...\n"
    "      Reads and edits the registry, as the Windows reg command does.\n"
    "  lumbra --help              This text.\n"
    "\n"
    "The workstation root is $LUMBRA_ROOT (default $XDG_DATA_HOME/lumbra or\n"
    "~/.local/share/lumbra): system/, registry/, run/ and the drive folders.\n";

int Usage(const std::string& problem) {
  std::cerr << "lumbra: " << problem << "\n\n" << kUsage;
  return 2;
}

struct RunOptions {
  std::string ui = "tty";
  std::optional<std::string> answers;
  std::optional<std::string> journal;
  std::string page;
  std::vector<std::string> args;
};

// Options come before the page; everything after the page belongs to the page.
std::optional<RunOptions> ParseRunOptions(const std::vector<std::string>& words, std::string& problem) {
  RunOptions options;
  std::size_t i = 0;
  for (; i < words.size() && words[i].starts_with("--"); ++i) {
    const std::string& option = words[i];
    if (option != "--ui" && option != "--answers" && option != "--journal") {
      problem = "unknown option " + option;
      return std::nullopt;
    }
    if (i + 1 >= words.size()) {
      problem = option + " needs a value";
      return std::nullopt;
    }
    const std::string& value = words[++i];
    if (option == "--ui") options.ui = value;
    if (option == "--answers") options.answers = value;
    if (option == "--journal") options.journal = value;
  }
  if (options.ui != "tty" && options.ui != "script") {
    problem = "--ui takes tty or script, not " + options.ui;
    return std::nullopt;
  }
  if (options.ui == "tty" && (options.answers || options.journal)) {
    problem = "--answers and --journal go with --ui script";
    return std::nullopt;
  }
  if (i >= words.size()) {
    problem = "run needs a page script";
    return std::nullopt;
  }
  options.page = words[i];
  options.args.assign(words.begin() + static_cast<std::ptrdiff_t>(i) + 1, words.end());
  return options;
}

std::optional<std::vector<std::string>> ReadAnswers(const std::string& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::vector<std::string> answers;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) answers.push_back(line);
  }
  return answers;
}

// The services every command works with, installed for the components of this process.
class HostServices {
 public:
  explicit HostServices(std::unique_ptr<UserInterface> ui)
      : root_(MakeRoot()),
        files_(root_.root),
        registry_(root_.RegistryDir()),
        ui_(std::move(ui)),
        services_{root_, files_, registry_, clock_, *ui_} {
    InstallServices(&services_);
  }
  ~HostServices() { InstallServices(nullptr); }
  HostServices(const HostServices&) = delete;
  HostServices& operator=(const HostServices&) = delete;

  Registry& registry() { return registry_; }

 private:
  static RootLayout MakeRoot() {
    RootLayout root = RootLayout::FromEnvironment();
    root.EnsureCreated();
    return root;
  }

  RootLayout root_;
  FileSystem files_;
  Registry registry_;
  RealClock clock_;
  std::unique_ptr<UserInterface> ui_;
  Services services_;
};

int Run(const std::vector<std::string>& words) {
  std::string problem;
  const std::optional<RunOptions> options = ParseRunOptions(words, problem);
  if (!options) return Usage(problem);
  std::unique_ptr<UserInterface> ui;
  if (options->ui == "script") {
    std::vector<std::string> answers;
    if (options->answers) {
      auto read = ReadAnswers(*options->answers);
      if (!read) {
        std::cerr << "lumbra: cannot read the answers file " << *options->answers << "\n";
        return 2;
      }
      answers = std::move(*read);
    }
    auto scripted = std::make_unique<ScriptedUi>(std::move(answers));
    if (options->journal) {
      if (!std::ofstream(*options->journal, std::ios::trunc)) {
        std::cerr << "lumbra: cannot write the journal file " << *options->journal << "\n";
        return 2;
      }
      scripted->SetJournalFile(*options->journal);
    }
    ui = std::move(scripted);
  } else {
    ui = std::make_unique<TerminalUi>();
  }
  HostServices services(std::move(ui));
  return RunPage(options->page, options->args, std::cout, std::cerr);
}

int Main(const std::vector<std::string>& words) {
  if (words.empty()) return Usage("no command given");
  const std::string& command = words[0];
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "run") return Run(rest);
  if (command == "register" || command == "unregister") {
    if (rest.size() != 1) return Usage(command + " takes one module");
    HostServices services(std::make_unique<TerminalUi>());
    return RunModuleRegistration(
        command == "register" ? RegistrationAction::Register : RegistrationAction::Unregister, rest[0],
        std::cout, std::cerr);
  }
  if (command == "reg") {
    HostServices services(std::make_unique<TerminalUi>());
    return RunRegCommand(rest, services.registry(), std::cout, std::cerr);
  }
  return Usage("unknown command " + command);
}

}  // namespace
}  // namespace lumbra

int main(int argc, char** argv) {
  try {
    return lumbra::Main(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "lumbra: " << error.what() << "\n";
    return 1;
  }
}
