#pragma once
// Numbers of the command channel: frame types, the text format and the error codes. They are
// the values of the platform's DDE management library, so that peers written for it read the
// same numbers. docs/channel.md describes the wire format.
#include <cstdint>

namespace lumbra {

inline constexpr std::uint32_t kFormatText = 1;

enum class FrameType : std::uint8_t {
  Connect = 1,
  Ack = 2,
  Nack = 3,
  AdviseStart = 4,
  Execute = 5,
  Request = 6,
  Data = 7,
  AdviseStop = 8,
  Disconnect = 9,
  AdviseData = 10,
};

enum class DdeError : std::uint32_t {
  None = 0,
  AdviseAckTimeout = 0x4000,
  Busy = 0x4001,
  DataAckTimeout = 0x4002,
  DllNotInitialized = 0x4003,
  DllUsage = 0x4004,
  ExecuteAckTimeout = 0x4005,
  InvalidParameter = 0x4006,
  LowMemory = 0x4007,
  MemoryError = 0x4008,
  NotProcessed = 0x4009,
  NoConversationEstablished = 0x400A,
  PokeAckTimeout = 0x400B,
  PostMessageFailed = 0x400C,
  Reentrancy = 0x400D,
  ServerDied = 0x400E,
  SystemError = 0x400F,
  UnadviseAckTimeout = 0x4010,
  UnfoundQueueId = 0x4011,
};

// A transaction limit of 0 asks the platform library for an asynchronous transaction. This
// channel has none: 0 means this limit instead, so that no wait is unbounded.
inline constexpr std::uint32_t kDefaultTransactionLimitMs = 15000;
// Bound for the answer to CONNECT, which has no limit of its own.
inline constexpr std::uint32_t kConnectLimitMs = 5000;

}  // namespace lumbra
