#pragma once
// The client end of the command channel, the stand-in for the DDE management library's client
// side. One DdeClient is one client instance. Everything runs on the caller's thread: a
// transaction blocks until its answer or its limit, and advise data that arrives meanwhile is
// handed to the callback on that same thread. Operations fail with false / 0 / nullopt and
// leave the reason for LastError().
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/channel/dde_codes.h"

namespace lumbra {

using NameHandle = std::uint32_t;          // 0: no name
using ConversationHandle = std::uint32_t;  // 0: no conversation

class DdeClient {
 public:
  using AdviseCallback = std::function<void(const std::string& item, std::uint32_t format, const std::string& data)>;

  // dde_folder: where servers listen (run/dde below the workstation root).
  explicit DdeClient(std::filesystem::path dde_folder);
  ~DdeClient();
  DdeClient(const DdeClient&) = delete;
  DdeClient& operator=(const DdeClient&) = delete;

  // Starts the client instance; returns its id (never 0), 0 when already started.
  std::uint32_t Initialize(AdviseCallback callback);
  // Ends the instance: every conversation is closed and every name released.
  void Uninitialize();
  std::uint32_t InstanceId() const { return instance_id_; }

  // Names of services, topics and items. 0 when the instance is not started
  // (DLL_NOT_INITIALIZED) or the text is longer than 255 bytes (INVALIDPARAMETER).
  NameHandle CreateName(std::string_view text);
  bool FreeName(NameHandle name);

  // 0 when nobody serves the service or the server refuses the topic (NO_CONV_ESTABLISHED).
  ConversationHandle Connect(NameHandle service, NameHandle topic);
  bool Disconnect(ConversationHandle conversation);

  // Transactions. A limit of 0 means kDefaultTransactionLimitMs.
  bool AdviseStart(ConversationHandle conversation, NameHandle item, std::uint32_t format, bool hot,
                   std::uint32_t limit_ms);
  bool AdviseStop(ConversationHandle conversation, NameHandle item);
  bool Execute(ConversationHandle conversation, std::string_view command, std::uint32_t limit_ms);
  std::optional<std::string> Request(ConversationHandle conversation, NameHandle item, std::uint32_t format,
                                     std::uint32_t limit_ms);

  // The error of the last failed operation; reading it clears it, as the platform does.
  DdeError LastError();

 private:
  struct Conversation {
    int socket = -1;
  };
  struct Reply {
    FrameType type = FrameType::Ack;
    std::uint32_t code = 0;  // NACK
    std::string data;        // DATA
  };

  std::optional<std::string> NameText(NameHandle name);
  Conversation* Find(ConversationHandle conversation);
  // Sends one frame and waits for the frame that answers it; advise data is delivered and
  // stale answers dropped meanwhile.
  std::optional<Reply> Transact(Conversation& conversation, std::string frame_body, std::uint32_t transaction,
                                std::uint32_t limit_ms, DdeError timeout_error);
  bool Fail(DdeError error);

  std::filesystem::path dde_folder_;
  std::uint32_t instance_id_ = 0;
  AdviseCallback callback_;
  DdeError last_error_ = DdeError::None;
  std::map<NameHandle, std::string> names_;
  std::map<ConversationHandle, Conversation> conversations_;  // each owns its socket
  std::uint32_t next_handle_ = 1;
  std::uint32_t next_transaction_ = 1;
};

}  // namespace lumbra
