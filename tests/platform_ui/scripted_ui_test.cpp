#include "platform/ui/scripted_ui.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "temp_root.h"

namespace lumbra {
namespace {

MessageBoxRequest Box(Buttons buttons) {
  MessageBoxRequest request;
  request.text = "Print the card?";
  request.caption = "Ostrel";
  request.buttons = buttons;
  return request;
}

TEST(ScriptedUiTest, MessageBoxesTakeAnswersOnlyWhenTheyAsk) {
  struct Case {
    Buttons buttons;
    std::vector<std::string> queue;
    Answer expected;
    bool unanswered;
    std::size_t left;
  };
  const std::vector<Case> cases = {
      {Buttons::Ok, {"yes"}, Answer::Ok, false, 1},
      {Buttons::YesNo, {"yes"}, Answer::Yes, false, 0},
      {Buttons::YesNo, {"no", "yes"}, Answer::No, false, 1},
      {Buttons::YesNo, {}, Answer::No, true, 0},
      {Buttons::OkCancel, {"ok"}, Answer::Ok, false, 0},
      {Buttons::OkCancel, {"cancel"}, Answer::Cancel, false, 0},
      {Buttons::OkCancel, {}, Answer::Cancel, true, 0},
  };
  for (const Case& c : cases) {
    ScriptedUi ui(c.queue);
    EXPECT_EQ(ui.ShowMessage(Box(c.buttons)), c.expected);
    ASSERT_EQ(ui.Journal().size(), 1u);
    EXPECT_EQ(ui.Journal()[0].unanswered, c.unanswered);
    EXPECT_EQ(ui.Journal()[0].answer, JournalEntry::AnswerName(c.expected));
    EXPECT_EQ(ui.PendingAnswers(), c.left);
  }
}

TEST(ScriptedUiTest, AnAnswerThatDoesNotFitTheQuestionIsAnError) {
  ScriptedUi ui({"login a b"});
  EXPECT_THROW(ui.ShowMessage(Box(Buttons::YesNo)), std::invalid_argument);
  EXPECT_THROW(ui.AskFile({}), std::invalid_argument);
  EXPECT_EQ(ui.PendingAnswers(), 1u);
  ScriptedUi ok_for_yes({"ok"});
  EXPECT_THROW(ok_for_yes.ShowMessage(Box(Buttons::YesNo)), std::invalid_argument);
}

TEST(ScriptedUiTest, LoginAnswersAreCutAndThePasswordIsNeverJournalled) {
  ScriptedUi ui({"login clerk secret words", "login  pw", "login " + std::string(25, 'u') + " " + std::string(40, 'p'),
                 "cancel"});
  const LoginRequest request{"Enter Network Password", "Login failed", "", ""};
  const auto first = ui.AskLogin(request);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->user, "clerk");
  EXPECT_EQ(first->password, "secret words");
  const auto second = ui.AskLogin(request);
  EXPECT_EQ(second->user, "");
  EXPECT_EQ(second->password, "pw");
  const auto third = ui.AskLogin(request);
  EXPECT_EQ(third->user.size(), kLoginUserMax);
  EXPECT_EQ(third->password.size(), kLoginPasswordMax);
  EXPECT_FALSE(ui.AskLogin(request));
  EXPECT_FALSE(ui.AskLogin(request));
  EXPECT_TRUE(ui.Journal().back().unanswered);
  for (const JournalEntry& entry : ui.Journal()) {
    EXPECT_EQ(entry.ToJson().find("secret"), std::string::npos);
    EXPECT_EQ(entry.caption, "Enter Network Password");
  }
  EXPECT_EQ(ui.Journal()[0].answer, "login clerk");
}

TEST(ScriptedUiTest, DialogsReturnTheirScriptedResults) {
  ScriptedUi ui({"choose Caf\xC3\xA9 " + std::string(50, 'x'), "cancel", "file X:\\photos\\a.jpg", "cancel",
                 "form new|0", "form only", "cancel"});
  DeviceChoiceRequest device{"Select Device", {"Cam 1", "Cam 2"}, "Cam 1", 40};
  const auto chosen = ui.ChooseDevice(device);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->size(), 40u);
  EXPECT_EQ(chosen->substr(0, 5), "Caf\xE9 ");  // answers are UTF-8, results Windows-1252
  EXPECT_FALSE(ui.ChooseDevice(device));

  FileDialogRequest file;
  file.save = true;
  file.filter = "JPEG|*.jpg||";
  EXPECT_EQ(ui.AskFile(file), "X:\\photos\\a.jpg");
  EXPECT_EQ(ui.Journal().back().flags, std::vector<std::string>{"save"});
  EXPECT_FALSE(ui.AskFile(file));

  const std::vector<FormField> fields = {{"Server", "old", false}, {"Secure", "1", true}};
  EXPECT_EQ(ui.EditForm("Properties", fields), (std::vector<std::string>{"new", "0"}));
  EXPECT_EQ(ui.EditForm("Properties", fields), (std::vector<std::string>{"only", "1"}));
  EXPECT_FALSE(ui.EditForm("Properties", fields));
  EXPECT_FALSE(ui.EditForm("Properties", fields));
  EXPECT_TRUE(ui.Journal().back().unanswered);

  ScriptedUi too_many({"form a|b|c"});
  EXPECT_THROW(too_many.EditForm("Properties", fields), std::invalid_argument);
  EXPECT_EQ(too_many.PendingAnswers(), 1u);
}

TEST(ScriptedUiTest, ProgressDisablesTheOwnerAndJournalsItsFinalState) {
  ScriptedUi ui;
  ui.CancelProgressAt(3);
  {
    const auto progress = ui.OpenProgress("Printing");
    EXPECT_TRUE(ui.OwnerDisabled());
    progress->SetRange(0, 5);
    progress->SetStatus("Card 1");
    progress->SetPosition(2);
    EXPECT_FALSE(progress->CancelPressed());
    progress->SetStatus("Card 3");
    progress->SetPercentText("60%");
    progress->SetPosition(3);
    EXPECT_TRUE(progress->CancelPressed());
    EXPECT_TRUE(ui.Journal().empty());
  }
  EXPECT_FALSE(ui.OwnerDisabled());
  ASSERT_EQ(ui.Journal().size(), 1u);
  const JournalEntry& entry = ui.Journal()[0];
  EXPECT_EQ(entry.kind, "progress");
  EXPECT_EQ(entry.caption, "Printing");
  EXPECT_EQ(entry.text, "Card 3");
  EXPECT_EQ(entry.percent_text, "60%");
  EXPECT_EQ(entry.range_high, 5);
  EXPECT_EQ(entry.position, 3);
  EXPECT_EQ(entry.answer, "cancel");

  const auto next = ui.OpenProgress("Again");  // the cancel was for one window only
  next->SetPosition(100);
  EXPECT_FALSE(next->CancelPressed());
  ui.EnableActiveWindow();
  EXPECT_FALSE(ui.OwnerDisabled());
  EXPECT_EQ(ui.Journal().back().kind, "enable");
}

TEST(ScriptedUiTest, TheJournalFileGrowsALineOfUtf8JsonPerEntry) {
  const testing::TempRoot folder;
  const auto path = folder.Path() / "journal.jsonl";
  ScriptedUi ui({"yes"});
  ui.SetJournalFile(path.string());
  MessageBoxRequest request = Box(Buttons::YesNo);
  request.text = "Jos\xE9 \x80";
  request.icon = Icon::Question;
  request.topmost = true;
  request.task_modal = true;
  ui.ShowMessage(request);

  const auto read_lines = [&] {
    std::ifstream in(path);
    std::vector<nlohmann::json> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
  };
  auto lines = read_lines();
  ASSERT_EQ(lines.size(), 1u);  // written as it happened
  EXPECT_EQ(lines[0]["kind"], "message");
  EXPECT_EQ(lines[0]["caption"], "Ostrel");
  EXPECT_EQ(lines[0]["text"], "Jos\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(lines[0]["buttons"], "yesno");
  EXPECT_EQ(lines[0]["icon"], "question");
  EXPECT_EQ(lines[0]["flags"], (nlohmann::json{"topmost", "task_modal"}));
  EXPECT_EQ(lines[0]["answer"], "yes");
  EXPECT_FALSE(lines[0].contains("unanswered"));

  ui.ShowMessage(Box(Buttons::YesNo));
  ui.ShowAbout("About Ostrel", "Version 1");
  lines = read_lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1]["unanswered"], true);
  EXPECT_EQ(lines[2]["kind"], "about");
  EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{"Jos\xE9 \x80", "Print the card?"}));
}

}  // namespace
}  // namespace lumbra
