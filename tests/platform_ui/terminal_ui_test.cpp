#include "platform/ui/terminal_ui.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

namespace lumbra {
namespace {

MessageBoxRequest Question() {
  MessageBoxRequest request;
  request.text = "Replace the file?";
  request.caption = "Quorra";
  request.buttons = Buttons::YesNo;
  request.icon = Icon::Question;
  return request;
}

nlohmann::json LastJsonLine(const std::string& output) {
  const auto end = output.find_last_not_of('\n');
  const auto start = output.rfind('\n', end);
  return nlohmann::json::parse(output.substr(start == std::string::npos ? 0 : start + 1, end - start));
}

TEST(TerminalUiTest, WithoutAPersonQuestionsTakeTheDefaultAndAJournalLine) {
  std::istringstream in("yes\n");  // never read: nobody is there to type it
  std::ostringstream out;
  TerminalUi ui(in, out, false);

  MessageBoxRequest note;
  note.text = "Card printed for Jos\xE9";
  note.caption = "Ostrel";
  note.icon = Icon::Information;
  EXPECT_EQ(ui.ShowMessage(note), Answer::Ok);
  EXPECT_EQ(out.str(), "[Ostrel] Information: Card printed for Jos\xC3\xA9\n");

  EXPECT_EQ(ui.ShowMessage(Question()), Answer::No);
  const auto entry = LastJsonLine(out.str());
  EXPECT_EQ(entry["kind"], "message");
  EXPECT_EQ(entry["text"], "Replace the file?");
  EXPECT_EQ(entry["answer"], "no");
  EXPECT_EQ(entry["unanswered"], true);

  EXPECT_FALSE(ui.AskLogin({"Enter Network Password", "", "clerk", ""}));
  EXPECT_EQ(LastJsonLine(out.str())["kind"], "login");
  EXPECT_FALSE(ui.ChooseDevice({"Select Device", {"Cam"}, "Cam", 40}));
  EXPECT_EQ(LastJsonLine(out.str())["kind"], "device");
  EXPECT_FALSE(ui.AskFile({}));
  EXPECT_EQ(LastJsonLine(out.str())["kind"], "file");
  EXPECT_FALSE(ui.EditForm("Properties", {{"Server", "x", false}}));
  EXPECT_EQ(LastJsonLine(out.str())["kind"], "form");
  EXPECT_EQ(in.tellg(), 0);
}

TEST(TerminalUiTest, APersonAnswersAtThePrompt) {
  std::istringstream in(
      "maybe\r\nY\n"          // yes/no: junk is asked again
      "c\n"                   // OK/Cancel
      "\nhunter2\n"           // login: empty user keeps the given one
      "2\n"                   // device by number
      "Cam Caf\xC3\xA9\n"     // device by name, UTF-8 typed
      "\n"                    // device: empty keeps the current one
      "photo\n"               // file: the default extension is added
      "\n"                    // file: empty takes the initial name
      "new\nx\nn\n");         // form: text field, then a check box asked again
  std::ostringstream out;
  TerminalUi ui(in, out, true);

  EXPECT_EQ(ui.ShowMessage(Question()), Answer::Yes);
  MessageBoxRequest ok_cancel = Question();
  ok_cancel.buttons = Buttons::OkCancel;
  EXPECT_EQ(ui.ShowMessage(ok_cancel), Answer::Cancel);

  const auto login = ui.AskLogin({"Enter Network Password", "", "clerk", ""});
  ASSERT_TRUE(login);
  EXPECT_EQ(login->user, "clerk");
  EXPECT_EQ(login->password, "hunter2");

  const DeviceChoiceRequest device{"Select Device", {"Cam 1", "Cam 2"}, "Cam 1", 40};
  EXPECT_EQ(ui.ChooseDevice(device), "Cam 2");
  EXPECT_EQ(ui.ChooseDevice(device), "Cam Caf\xE9");
  EXPECT_EQ(ui.ChooseDevice(device), "Cam 1");

  FileDialogRequest file;
  file.save = true;
  file.default_extension = "jpg";
  file.initial_name = "card.png";
  EXPECT_EQ(ui.AskFile(file), "photo.jpg");
  EXPECT_EQ(ui.AskFile(file), "card.png");

  EXPECT_EQ(ui.EditForm("Properties", {{"Server", "old", false}, {"Secure", "1", true}}),
            (std::vector<std::string>{"new", "0"}));

  // At the end of input every question is cancelled.
  EXPECT_EQ(ui.ShowMessage(Question()), Answer::No);
  EXPECT_FALSE(ui.AskLogin({}));
  EXPECT_FALSE(ui.ChooseDevice(device));
  EXPECT_FALSE(ui.AskFile(file));
  EXPECT_EQ(out.str().find("hunter2"), std::string::npos);
}

// On a real terminal the password is typed with echo off, and echo comes back afterwards.
TEST(TerminalUiTest, ThePasswordIsNotEchoedOnATerminal) {
  int master = -1;
  int slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(slave, STDIN_FILENO);
    ::dup2(slave, STDERR_FILENO);  // prompts go to the terminal, as for a person
    ::close(master);
    TerminalUi ui;
    const auto login = ui.AskLogin({"Enter Network Password", "", "", ""});
    termios after{};
    ::tcgetattr(STDIN_FILENO, &after);
    const bool ok = login && login->user == "clerk" && login->password == "hunter2" && (after.c_lflag & ECHO);
    ::_exit(ok ? 0 : 1);
  }
  ::close(slave);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string echoed;
  const auto drain = [&] {
    pollfd ready{master, POLLIN, 0};
    char buffer[256];
    while (::poll(&ready, 1, 10) > 0) {
      const ssize_t got = ::read(master, buffer, sizeof buffer);
      if (got <= 0) return;
      echoed.append(buffer, static_cast<std::size_t>(got));
    }
  };
  ASSERT_EQ(::write(master, "clerk\n", 6), 6);
  // Type the password only once the prompt has turned echo off, as a person would.
  for (termios mode{}; ::tcgetattr(master, &mode) == 0 && (mode.c_lflag & ECHO);) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "echo never went off";
    drain();
  }
  ASSERT_EQ(::write(master, "hunter2\n", 8), 8);
  int status = 0;
  while (::waitpid(child, &status, WNOHANG) == 0) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the login prompt did not return";
    drain();
  }
  drain();
  ::close(master);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(echoed.find("clerk"), std::string::npos) << echoed;
  EXPECT_EQ(echoed.find("hunter2"), std::string::npos) << echoed;
}

}  // namespace
}  // namespace lumbra
