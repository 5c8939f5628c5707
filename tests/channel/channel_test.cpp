#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/channel/dde_client.h"
#include "platform/channel/frame.h"
#include "test_server.h"

namespace lumbra {
namespace {

using testing::TestServerHandler;

class ChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumbra-chan-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    server_ = std::make_unique<DdeServer>(folder_ / "dde", "Kestrix", handler_);
    client_ = std::make_unique<DdeClient>(folder_ / "dde");
    handler_.server = server_.get();
    handler_.SetItem("Result", "OK");
    std::string error;
    ASSERT_TRUE(server_->Start(error)) << error;
    ASSERT_NE(client_->Initialize([this](const std::string& item, std::uint32_t, const std::string& data) {
      advised_.push_back(item + "=" + data);
      advise_threads_.push_back(std::this_thread::get_id());
    }), 0u);
  }
  void TearDown() override {
    client_.reset();
    server_.reset();
    std::filesystem::remove_all(folder_);
  }

  ConversationHandle Connect(std::string_view service = "Kestrix", std::string_view topic = "Production") {
    return client_->Connect(client_->CreateName(service), client_->CreateName(topic));
  }

  std::filesystem::path folder_;
  TestServerHandler handler_;
  std::unique_ptr<DdeServer> server_;
  std::unique_ptr<DdeClient> client_;
  std::vector<std::string> advised_;
  std::vector<std::thread::id> advise_threads_;
};

TEST_F(ChannelTest, ServiceAndTopicMatchWithoutRegardToCase) {
  EXPECT_TRUE(std::filesystem::exists(folder_ / "dde" / "kestrix.sock"));
  EXPECT_NE(Connect("KESTRIX", "production"), 0u);
  EXPECT_EQ(Connect("Kestrix", "Other"), 0u);
  EXPECT_EQ(client_->LastError(), DdeError::NoConversationEstablished);
  EXPECT_EQ(Connect("Absent", "Production"), 0u);
  EXPECT_EQ(client_->LastError(), DdeError::NoConversationEstablished);
  EXPECT_EQ(client_->LastError(), DdeError::None) << "reading the error clears it";
}

TEST_F(ChannelTest, ExecuteAndRequest) {
  ConversationHandle conversation = Connect();
  ASSERT_NE(conversation, 0u);
  EXPECT_TRUE(client_->Execute(conversation, "[STARTCARD(BADGE)]", 1000));
  EXPECT_EQ(client_->Request(conversation, client_->CreateName("Result"), kFormatText, 1000), "OK");
  EXPECT_EQ(client_->Request(conversation, client_->CreateName("Unknown"), kFormatText, 1000), std::nullopt);
  EXPECT_EQ(client_->LastError(), DdeError::NotProcessed);
  std::lock_guard lock(handler_.mutex);
  EXPECT_EQ(handler_.executed, std::vector<std::string>{"[STARTCARD(BADGE)]"});
}

TEST_F(ChannelTest, RefusalsCarryTheServersCode) {
  ConversationHandle conversation = Connect();
  for (DdeError code : {DdeError::Busy, DdeError::NotProcessed}) {
    handler_.execute_error = code;
    EXPECT_FALSE(client_->Execute(conversation, "[DOPRINT(FALSE,FALSE)]", 1000));
    EXPECT_EQ(client_->LastError(), code);
  }
  handler_.advise_error = DdeError::NotProcessed;
  EXPECT_FALSE(client_->AdviseStart(conversation, client_->CreateName("Status"), kFormatText, true, 1000));
  EXPECT_EQ(client_->LastError(), DdeError::NotProcessed);
}

TEST_F(ChannelTest, TimeoutsAndLateRepliesAreDropped) {
  ConversationHandle conversation = Connect();
  NameHandle result = client_->CreateName("Result");
  handler_.execute_delay_ms = 300;
  EXPECT_FALSE(client_->Execute(conversation, "[SLOW]", 50));
  EXPECT_EQ(client_->LastError(), DdeError::ExecuteAckTimeout);
  handler_.execute_delay_ms = 0;
  handler_.request_delay_ms = 300;
  EXPECT_FALSE(client_->Request(conversation, result, kFormatText, 50));
  EXPECT_EQ(client_->LastError(), DdeError::DataAckTimeout);
  handler_.request_delay_ms = 0;
  handler_.advise_delay_ms = 300;
  EXPECT_FALSE(client_->AdviseStart(conversation, result, kFormatText, true, 50));
  EXPECT_EQ(client_->LastError(), DdeError::AdviseAckTimeout);
  handler_.advise_delay_ms = 0;
  // The late ACKs and DATA arrive first on the socket; the request must get its own answer.
  handler_.SetItem("Result", "FRESH");
  EXPECT_EQ(client_->Request(conversation, result, kFormatText, 2000), "FRESH");
  handler_.execute_error = DdeError::Busy;
  EXPECT_FALSE(client_->Execute(conversation, "[AGAIN]", 2000)) << "a late ACK must not answer a later execute";
  EXPECT_EQ(client_->LastError(), DdeError::Busy);
}

TEST_F(ChannelTest, LimitZeroMeansTheDefaultLimitNotAnInstantFailure) {
  ConversationHandle conversation = Connect();
  handler_.execute_delay_ms = 200;
  EXPECT_TRUE(client_->Execute(conversation, "[STARTCARD(A)]", 0));
}

TEST_F(ChannelTest, AdviseDataReachesTheCallbackOnTheWaitingThread) {
  ConversationHandle conversation = Connect();
  NameHandle status = client_->CreateName("Status");
  ASSERT_TRUE(client_->AdviseStart(conversation, status, kFormatText, true, 1000));
  handler_.PushOnExecute("NOT COMPLETE");
  EXPECT_TRUE(client_->Execute(conversation, "[DOPRINT(FALSE,FALSE)]", 1000));
  ASSERT_EQ(advised_, std::vector<std::string>{"Status=NOT COMPLETE"});
  EXPECT_EQ(advise_threads_[0], std::this_thread::get_id());

  client_->AdviseStop(conversation, status);
  EXPECT_TRUE(client_->Execute(conversation, "[DOPRINT(FALSE,FALSE)]", 1000));
  EXPECT_EQ(advised_.size(), 1u) << "no advise data after the loop is stopped";
}

TEST_F(ChannelTest, WarmLoopGetsTheNoticeWithoutData) {
  ConversationHandle conversation = Connect();
  ASSERT_TRUE(client_->AdviseStart(conversation, client_->CreateName("status"), kFormatText, false, 1000));
  handler_.PushOnExecute("PRINTED");
  EXPECT_TRUE(client_->Execute(conversation, "[X]", 1000));
  EXPECT_EQ(advised_, std::vector<std::string>{"Status="});
}

TEST_F(ChannelTest, ServerThatGoesAwayGivesServerDied) {
  ConversationHandle conversation = Connect();
  server_->Stop();
  EXPECT_FALSE(client_->Request(conversation, client_->CreateName("Result"), kFormatText, 1000));
  EXPECT_EQ(client_->LastError(), DdeError::ServerDied);
  EXPECT_FALSE(client_->Execute(conversation, "[X]", 1000));
  EXPECT_EQ(client_->LastError(), DdeError::ServerDied);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "dde" / "kestrix.sock"));
  EXPECT_EQ(Connect(), 0u);
  EXPECT_EQ(client_->LastError(), DdeError::NoConversationEstablished);
}

TEST_F(ChannelTest, NamesNeedAStartedInstanceAndFitInAnAtom) {
  DdeClient idle(folder_ / "dde");
  EXPECT_EQ(idle.CreateName("Kestrix"), 0u);
  EXPECT_EQ(idle.LastError(), DdeError::DllNotInitialized);
  EXPECT_EQ(client_->CreateName(std::string(256, 'x')), 0u);
  EXPECT_EQ(client_->LastError(), DdeError::InvalidParameter);
  EXPECT_NE(client_->CreateName(std::string(255, 'x')), 0u);
}

TEST(ChannelRegistration, StaleSocketIsReplacedAndALiveOneIsNot) {
  std::string pattern = (std::filesystem::temp_directory_path() / "lumbra-chan-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  std::filesystem::path folder = pattern;
  std::filesystem::path socket_path = ServiceSocketPath(folder, "Kestrix");
  int stale = ListenUnixSocket(socket_path);  // bound, then abandoned without removal
  ASSERT_GE(stale, 0);
  ::close(stale);
  ASSERT_TRUE(std::filesystem::exists(socket_path));

  TestServerHandler handler;
  DdeServer first(folder, "Kestrix", handler);
  std::string error;
  EXPECT_TRUE(first.Start(error)) << error;
  DdeServer second(folder, "KESTRIX", handler);
  EXPECT_FALSE(second.Start(error));
  EXPECT_NE(error.find("already served"), std::string::npos) << error;
  first.Stop();
  std::filesystem::remove_all(folder);
}

TEST(ChannelFrames, MalformedOrOversizedFramesEndTheConversation) {
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  FrameStream reader(pair[0]);
  std::string huge = FrameWriter(FrameType::Data, 7).Text("x").Finish();
  huge[3] = '\x7f';  // length far beyond the limit
  ASSERT_EQ(::write(pair[1], huge.data(), huge.size()), static_cast<ssize_t>(huge.size()));
  std::string body;
  EXPECT_EQ(reader.Read(body, DeadlineAfter(1000)), ReadStatus::Malformed);

  auto frame = FrameReader::Parse(FrameWriter(FrameType::Data, 7).Int(5).Finish().substr(4));
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->Transaction(), 7u);
  EXPECT_EQ(frame->Int(), 5u);
  EXPECT_EQ(frame->Text(), std::nullopt) << "a field past the end is an error, not a read overrun";
  ::close(pair[0]);
  ::close(pair[1]);
}

}  // namespace
}  // namespace lumbra
