#include "platform/channel/dde_client.h"

#include <unistd.h>

#include <atomic>

#include "platform/channel/frame.h"

namespace lumbra {
namespace {

std::atomic<std::uint32_t> next_instance_id{1};
constexpr std::size_t kMaxNameBytes = 255;

std::uint32_t Limit(std::uint32_t limit_ms) { return limit_ms == 0 ? kDefaultTransactionLimitMs : limit_ms; }

}  // namespace

DdeClient::DdeClient(std::filesystem::path dde_folder) : dde_folder_(std::move(dde_folder)) {}

DdeClient::~DdeClient() { Uninitialize(); }

std::uint32_t DdeClient::Initialize(AdviseCallback callback) {
  if (instance_id_ != 0) {
    Fail(DdeError::DllUsage);
    return 0;
  }
  instance_id_ = next_instance_id.fetch_add(1);
  callback_ = std::move(callback);
  return instance_id_;
}

void DdeClient::Uninitialize() {
  while (!conversations_.empty()) Disconnect(conversations_.begin()->first);
  names_.clear();
  callback_ = nullptr;
  instance_id_ = 0;
}

bool DdeClient::Fail(DdeError error) {
  last_error_ = error;
  return false;
}

DdeError DdeClient::LastError() {
  DdeError error = last_error_;
  last_error_ = DdeError::None;
  return error;
}

NameHandle DdeClient::CreateName(std::string_view text) {
  if (instance_id_ == 0) return Fail(DdeError::DllNotInitialized), 0;
  if (text.size() > kMaxNameBytes) return Fail(DdeError::InvalidParameter), 0;
  NameHandle handle = next_handle_++;
  names_.emplace(handle, std::string(text));
  return handle;
}

bool DdeClient::FreeName(NameHandle name) {
  if (names_.erase(name) == 0) return Fail(DdeError::InvalidParameter);
  return true;
}

std::optional<std::string> DdeClient::NameText(NameHandle name) {
  auto found = names_.find(name);
  if (found == names_.end()) return std::nullopt;
  return found->second;
}

DdeClient::Conversation* DdeClient::Find(ConversationHandle conversation) {
  auto found = conversations_.find(conversation);
  return found == conversations_.end() ? nullptr : &found->second;
}

ConversationHandle DdeClient::Connect(NameHandle service, NameHandle topic) {
  if (instance_id_ == 0) return Fail(DdeError::DllNotInitialized), 0;
  auto service_text = NameText(service);
  auto topic_text = NameText(topic);
  if (!service_text || !topic_text) return Fail(DdeError::InvalidParameter), 0;
  int socket = ConnectUnixSocket(ServiceSocketPath(dde_folder_, *service_text));
  if (socket < 0) return Fail(DdeError::NoConversationEstablished), 0;
  Conversation conversation{socket};
  std::uint32_t transaction = next_transaction_++;
  auto frame = FrameWriter(FrameType::Connect, transaction).Text(*service_text).Text(*topic_text).Finish();
  auto reply = Transact(conversation, frame, transaction, kConnectLimitMs, DdeError::NoConversationEstablished);
  if (!reply || reply->type != FrameType::Ack) {
    if (conversation.socket >= 0) ::close(conversation.socket);
    return Fail(DdeError::NoConversationEstablished), 0;
  }
  ConversationHandle handle = next_handle_++;
  conversations_.emplace(handle, conversation);
  return handle;
}

bool DdeClient::Disconnect(ConversationHandle conversation) {
  auto found = conversations_.find(conversation);
  if (found == conversations_.end()) return Fail(DdeError::InvalidParameter);
  if (found->second.socket >= 0) {
    FrameStream(found->second.socket).Write(FrameWriter(FrameType::Disconnect, next_transaction_++).Finish(), 1000);
    ::close(found->second.socket);
  }
  conversations_.erase(found);
  return true;
}

std::optional<DdeClient::Reply> DdeClient::Transact(Conversation& conversation, std::string frame,
                                                    std::uint32_t transaction, std::uint32_t limit_ms,
                                                    DdeError timeout_error) {
  if (conversation.socket < 0) return Fail(DdeError::ServerDied), std::nullopt;
  FrameStream stream(conversation.socket);
  Deadline deadline = DeadlineAfter(limit_ms);
  auto died = [&]() -> std::optional<Reply> {
    ::close(conversation.socket);
    conversation.socket = -1;
    Fail(DdeError::ServerDied);
    return std::nullopt;
  };
  if (!stream.Write(frame, limit_ms)) return died();
  for (;;) {
    std::string body;
    switch (stream.Read(body, deadline)) {
      case ReadStatus::Timeout:
        Fail(timeout_error);
        return std::nullopt;
      case ReadStatus::Closed:
      case ReadStatus::Malformed:
        return died();
      case ReadStatus::Frame:
        break;
    }
    auto reader = FrameReader::Parse(std::move(body));
    if (!reader) return died();
    if (reader->Type() == FrameType::AdviseData) {
      auto item = reader->Text();
      auto format = reader->Int();
      auto data = reader->Text();
      if (!item || !format || !data) return died();
      if (callback_) callback_(*item, *format, *data);
      continue;
    }
    // An answer to an earlier transaction whose limit has passed: nobody waits for it.
    if (reader->Transaction() != transaction) continue;
    Reply reply;
    reply.type = reader->Type();
    if (reply.type == FrameType::Nack) {
      reply.code = reader->Int().value_or(static_cast<std::uint32_t>(DdeError::NotProcessed));
    } else if (reply.type == FrameType::Data) {
      auto data = reader->Text();
      if (!data) return died();
      reply.data = std::move(*data);
    } else if (reply.type != FrameType::Ack) {
      return died();
    }
    return reply;
  }
}

bool DdeClient::AdviseStart(ConversationHandle conversation, NameHandle item, std::uint32_t format, bool hot,
                            std::uint32_t limit_ms) {
  Conversation* found = Find(conversation);
  auto item_text = NameText(item);
  if (found == nullptr || !item_text) return Fail(DdeError::InvalidParameter);
  std::uint32_t transaction = next_transaction_++;
  auto frame = FrameWriter(FrameType::AdviseStart, transaction).Text(*item_text).Int(format).Int(hot ? 1 : 0).Finish();
  auto reply = Transact(*found, frame, transaction, Limit(limit_ms), DdeError::AdviseAckTimeout);
  if (!reply) return false;
  if (reply->type != FrameType::Ack) return Fail(static_cast<DdeError>(reply->code));
  return true;
}

bool DdeClient::AdviseStop(ConversationHandle conversation, NameHandle item) {
  Conversation* found = Find(conversation);
  auto item_text = NameText(item);
  if (found == nullptr || !item_text) return Fail(DdeError::InvalidParameter);
  if (found->socket < 0) return Fail(DdeError::ServerDied);
  auto frame = FrameWriter(FrameType::AdviseStop, next_transaction_++).Text(*item_text).Finish();
  if (!FrameStream(found->socket).Write(frame, 1000)) return Fail(DdeError::ServerDied);
  return true;
}

bool DdeClient::Execute(ConversationHandle conversation, std::string_view command, std::uint32_t limit_ms) {
  Conversation* found = Find(conversation);
  if (found == nullptr) return Fail(DdeError::InvalidParameter);
  std::uint32_t transaction = next_transaction_++;
  auto frame = FrameWriter(FrameType::Execute, transaction).Text(command).Finish();
  auto reply = Transact(*found, frame, transaction, Limit(limit_ms), DdeError::ExecuteAckTimeout);
  if (!reply) return false;
  if (reply->type != FrameType::Ack) return Fail(static_cast<DdeError>(reply->code));
  return true;
}

std::optional<std::string> DdeClient::Request(ConversationHandle conversation, NameHandle item, std::uint32_t format,
                                              std::uint32_t limit_ms) {
  Conversation* found = Find(conversation);
  auto item_text = NameText(item);
  if (found == nullptr || !item_text) return Fail(DdeError::InvalidParameter), std::nullopt;
  std::uint32_t transaction = next_transaction_++;
  auto frame = FrameWriter(FrameType::Request, transaction).Text(*item_text).Int(format).Finish();
  auto reply = Transact(*found, frame, transaction, Limit(limit_ms), DdeError::DataAckTimeout);
  if (!reply) return std::nullopt;
  if (reply->type != FrameType::Data) return Fail(static_cast<DdeError>(reply->code)), std::nullopt;
  return std::move(reply->data);
}

}  // namespace lumbra
