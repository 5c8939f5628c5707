#include "production/production_link.h"

#include "link_fixture.h"
#include "platform/process/window_table.h"
#include "production/link_errors.h"

namespace lumbra {
namespace {

using testing::LinkFixture;

class PrintLinkTest : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    StartServer();
    link_ = std::make_unique<ProductionLink>(*services_, ProductionLinkOptions::PrintControl());
    ASSERT_TRUE(link_->InitialiseLink());
  }
  std::unique_ptr<ProductionLink> link_;
};

TEST_F(PrintLinkTest, ConnectWaitsAndLeavesAnOpenConversationAlone) {
  EXPECT_TRUE(link_->ConnectLink());
  EXPECT_EQ(clock_.SleptMs(), 500u);
  EXPECT_FALSE(link_->ConnectLink());
  EXPECT_EQ(clock_.SleptMs(), 1000u) << "the wait comes first, always";
  EXPECT_TRUE(link_->Connected());
  EXPECT_TRUE(link_->ExecuteCommand("[STARTCARD(BADGE)]")) << "the open conversation still works";
  EXPECT_TRUE(ui_.MessageTexts().empty());
}

TEST_F(PrintLinkTest, WhatFollowsACommandDependsOnSubstringsOfTheWholeText) {
  struct Case {
    std::string command;
    int result_requests;
    int status_requests;
  };
  for (const Case& c : {Case{"[STARTCARD(BADGE)]", 1, 0}, Case{"[FILLFIELD(NAME,\"DOPRINT\")]", 0, 1},
                        Case{"[FILLFIELD(NAME,\"DESTROYER\")]", 0, 0}, Case{"[DOPRINT(FALSE,FALSE)]", 0, 1}}) {
    production_.result_requests = production_.status_requests = 0;
    EXPECT_TRUE(link_->ExecuteCommand(c.command)) << c.command;
    EXPECT_EQ(production_.result_requests, c.result_requests) << c.command;
    EXPECT_EQ(production_.status_requests, c.status_requests) << c.command;
  }
  EXPECT_EQ(production_.Commands().back(), "[DOPRINT(FALSE,FALSE)]");
}

TEST_F(PrintLinkTest, CommandResultIsKept) {
  production_.results = {"CARD LOADED"};
  EXPECT_TRUE(link_->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_EQ(link_->LastResultText(), "CARD LOADED");
}

TEST_F(PrintLinkTest, FinalStatusRules) {
  std::string long_text = "PRINTER JAMMED " + std::string(250, 'x');
  struct Case {
    std::string final_status;
    std::string expected_text;
    bool message;
  };
  for (const Case& c : {Case{"PRINTED", "PRINTED", false}, Case{"CARD 12 PRINTED OK", "CARD 12 PRINTED OK", false},
                        Case{"PRINTER OUT OF RIBBON", "PRINTER OUT OF RIBBON", true},
                        Case{long_text, long_text.substr(0, 199), true}}) {
    ui_.ClearJournal();
    production_.statuses = {c.final_status};
    production_.status_requests = 0;
    EXPECT_TRUE(link_->ExecuteCommand("[DOPRINT(FALSE,FALSE)]")) << "a printer fault is not a channel failure";
    EXPECT_EQ(production_.status_requests, 1) << "a first status that is final ends the poll";
    EXPECT_EQ(link_->LastResultText(), c.expected_text);
    EXPECT_EQ(ui_.MessageTexts(), c.message ? std::vector<std::string>{c.expected_text} : std::vector<std::string>{});
  }
}

TEST_F(PrintLinkTest, PollsWhileNotCompleteAndKeepsAdviseText) {
  ProductionLink::ClearLastAdviseText();
  production_.statuses = {"NOT COMPLETE", "NOT COMPLETE", "NOT COMPLETE", "PRINTED"};
  production_.on_poll = [this] { server_->Advise("KestrixStatus", "NOT COMPLETE"); };
  EXPECT_TRUE(link_->ExecuteCommand("[DOPRINT(TRUE,FALSE)]"));
  EXPECT_EQ(production_.status_requests, 4);
  EXPECT_EQ(ProductionLink::LastAdviseText(), "NOT COMPLETE");
  EXPECT_TRUE(ui_.MessageTexts().empty());
}

TEST_F(PrintLinkTest, StatusThatNeverLeavesNotCompleteFailsAfterTheBound) {
  production_.statuses = {"NOT COMPLETE"};
  production_.on_poll = [this] { clock_.Advance(60'000); };
  EXPECT_FALSE(link_->ExecuteCommand("[DOPRINT(FALSE,FALSE)]"));
  EXPECT_EQ(production_.status_requests, 10) << "ten minutes by default";
  ASSERT_EQ(ui_.MessageTexts().size(), 1u);
  EXPECT_NE(ui_.MessageTexts()[0].find("NOT COMPLETE"), std::string::npos);

  registry_->SetValue(Hive::LocalMachine, kPollLimitKey, kPollLimitValue, RegValue::Number(180'000));
  production_.status_requests = 0;
  EXPECT_FALSE(link_->ExecuteCommand("[DOPRINT(FALSE,FALSE)]"));
  EXPECT_EQ(production_.status_requests, 3);
}

TEST_F(PrintLinkTest, ServerThatDiesDuringAPrintEndsThePoll) {
  production_.statuses = {"NOT COMPLETE"};
  production_.die_after_polls = 3;
  EXPECT_FALSE(link_->ExecuteCommand("[DOPRINT(FALSE,FALSE)]"));
  EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"DMLERR_SERVER_DIED"});
}

TEST_F(PrintLinkTest, ChannelErrorsShowTheirMessages) {
  link_->SetTimeLimit(100);
  ASSERT_TRUE(link_->ConnectLink());
  production_.refuse_containing = "STARTCARD";
  for (std::uint32_t code = 0x4000; code <= 0x4012; ++code) {
    ui_.ClearJournal();
    production_.refusal = static_cast<DdeError>(code);
    EXPECT_FALSE(link_->ExecuteCommand("[STARTCARD(BADGE)]"));
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{MessageForLinkError(static_cast<DdeError>(code)).text});
  }
  EXPECT_EQ(MessageForLinkError(DdeError::Busy).text, "DMLERR_BUSY : DESTROYKX is unable to be completed");
  EXPECT_EQ(MessageForLinkError(DdeError::UnfoundQueueId).number, 217);
  EXPECT_EQ(MessageForLinkError(static_cast<DdeError>(0x4012)).text, "Unrecoginized DDE error");
  EXPECT_EQ(MessageForLinkError(DdeError::LowMemory).number, 3);
}

TEST_F(PrintLinkTest, NoServerMeansMessage201AndFalse) {
  server_->Stop();
  EXPECT_FALSE(link_->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Failed to start the advise loop for KestrixStatus."});
}

TEST_F(PrintLinkTest, RefusedAdviseLoopKeepsTheConversation) {
  production_.advise_refusal = DdeError::NotProcessed;
  EXPECT_FALSE(link_->ConnectLink());
  EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Failed to start the advise loop for KestrixStatus."});
  EXPECT_TRUE(link_->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_EQ(production_.Commands().size(), 1u);
}

TEST_F(PrintLinkTest, StopWhenNotStartedHereSendsNothing) {
  ASSERT_TRUE(link_->ConnectLink());
  EXPECT_FALSE(link_->StopApplication());
  EXPECT_TRUE(production_.Commands().empty());
  EXPECT_TRUE(link_->Initialised());
}

TEST_F(PrintLinkTest, OpenApplicationWindowMeansNoSecondStart) {
  WindowTable windows(layout_.RunDir() / "windows");
  auto window = windows.Create(kProductionWindowTitle);
  link_->SetCommandLine("C:\\KX\\KX.exe -I -NZIDEZ -PZIDEZ -S");
  EXPECT_FALSE(link_->StartApplication());
  EXPECT_FALSE(link_->StartedHere());
  EXPECT_TRUE(link_->ReconnectLink());
  EXPECT_TRUE(link_->Reattached());
  EXPECT_FALSE(link_->StopApplication()) << "shut-down leaves the application running";
  EXPECT_TRUE(production_.Commands().empty());
  windows.Destroy(window->id);
}

class CaptureLinkTest : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    StartServer();
    link_ = std::make_unique<ProductionLink>(*services_, ProductionLinkOptions::CaptureControl());
    ASSERT_TRUE(link_->InitialiseLink());
  }
  std::unique_ptr<ProductionLink> link_;
};

TEST_F(CaptureLinkTest, CapturePollsEveryTwoSecondsAndHidesTheCaptureWindow) {
  WindowTable windows(layout_.RunDir() / "windows");
  auto capture_window = windows.Create("Nubrak Capture");
  std::vector<bool> visible_while_polling;
  production_.results = {"NOT COMPLETE", "NOT COMPLETE", "NOT COMPLETE", "CAPTURE SUCCESSFUL"};
  production_.on_poll = [&] { visible_while_polling.push_back(windows.FindContaining("Nubrak")->visible); };
  ASSERT_TRUE(link_->ConnectLink());
  std::uint64_t slept_before = clock_.SleptMs();
  EXPECT_TRUE(link_->ExecuteCommand("[DOCAPTURE(\"EMPLOYEEPHOTO\")]"));
  EXPECT_TRUE(link_->Succeeded());
  EXPECT_EQ(link_->LastResultText(), "CAPTURE SUCCESSFUL");
  // One result request after the execute, then three polls; each poll that returned data waits.
  EXPECT_EQ(production_.result_requests, 4);
  EXPECT_EQ(clock_.SleptMs() - slept_before, 3 * 2000u);
  EXPECT_EQ(visible_while_polling, (std::vector<bool>{true, false, false, false}));
  EXPECT_TRUE(windows.FindContaining("Nubrak")->visible) << "shown again after the capture";
  EXPECT_TRUE(ui_.MessageTexts().empty());
  windows.Destroy(capture_window->id);
}

TEST_F(CaptureLinkTest, CaptureOutcomes) {
  struct Case {
    std::string outcome;
    bool success;
    bool message;
  };
  for (const Case& c : {Case{"CAPTURE FAILED", false, false}, Case{"CARD PRINTED", true, false},
                        Case{"CAMERA NOT FOUND", false, true}}) {
    ui_.ClearJournal();
    production_.results = {"NOT COMPLETE", c.outcome};
    EXPECT_TRUE(link_->ExecuteCommand("[DOCAPTURE(\"PHOTO\")]"));
    EXPECT_EQ(link_->Succeeded(), c.success) << c.outcome;
    EXPECT_EQ(ui_.MessageTexts().size(), c.message ? 1u : 0u) << c.outcome;
  }
}

TEST_F(CaptureLinkTest, MissingResultShowsTheCommandAndTheError) {
  production_.no_result = true;
  EXPECT_TRUE(link_->ExecuteCommand("[STARTCARD(BADGE)]"));
  EXPECT_EQ(ui_.MessageTexts(),
            (std::vector<std::string>{"[STARTCARD(BADGE)] DDE ERROR", "DMLERR_NOTPROCESSED: Invalid command"}));
}

TEST_F(CaptureLinkTest, StopNeedsAConversationAndClosesWhatWasNotReattached) {
  EXPECT_FALSE(link_->StopApplication());
  ASSERT_TRUE(link_->ConnectLink());
  EXPECT_TRUE(link_->StopApplication());
  EXPECT_EQ(production_.Commands(), std::vector<std::string>{"[DESTROYKX]"});
  EXPECT_FALSE(link_->Connected());
}

TEST_F(CaptureLinkTest, ReattachedApplicationIsLeftRunning) {
  ASSERT_TRUE(link_->ReconnectLink());
  EXPECT_TRUE(link_->StopApplication());
  EXPECT_TRUE(production_.Commands().empty());
}

TEST_F(CaptureLinkTest, FailedStartShowsThePlatformCode) {
  link_->SetCommandLine("C:\\KX\\KX.exe -I -NZIDEZ -PZIDEZ -S");
  EXPECT_FALSE(link_->StartApplication());
  EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"WinExec returned error:3"});
  EXPECT_FALSE(link_->StartedHere());
}

}  // namespace
}  // namespace lumbra
