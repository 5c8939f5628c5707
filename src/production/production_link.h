#pragma once
// The conversation with the card-production application, held by each control: start the
// channel client, open the conversation with its status advise loop, send one bracketed command
// at a time and follow it to its result, start the application when none runs, and close it
// at shut-down. Everything runs on the caller's thread and shows its own messages.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/channel/dde_client.h"
#include "production/link_options.h"

namespace lumbra {

struct Services;

inline constexpr char kProductionService[] = "Kestrix";
inline constexpr char kProductionTopic[] = "Production";
inline constexpr char kResultItem[] = "CommandResult";
inline constexpr char kStatusItem[] = "KestrixStatus";
inline constexpr char kProductionWindowTitle[] = "Korvel Kestrix";
inline constexpr char kNotComplete[] = "NOT COMPLETE";
// Texts read from the application are cut to this many bytes.
inline constexpr std::size_t kMaxItemText = 199;
inline constexpr std::uint32_t kDefaultLinkTimeoutMs = 15000;

// Registry stand-in: how long a status may stay "NOT COMPLETE" before the command counts as
// failed. HKEY_LOCAL_MACHINE, this key, a number of milliseconds.
inline constexpr char kPollLimitKey[] = "Software\\Korvel\\Lumbra";
inline constexpr char kPollLimitValue[] = "KestrixPollLimit";
inline constexpr std::uint32_t kDefaultPollLimitMs = 10 * 60 * 1000;

class ProductionLink {
 public:
  ProductionLink(Services& services, ProductionLinkOptions options);
  ~ProductionLink();
  ProductionLink(const ProductionLink&) = delete;
  ProductionLink& operator=(const ProductionLink&) = delete;

  // Starts a channel client instance and creates the four names; a second call replaces the
  // instance (and closes its conversation).
  bool InitialiseLink();
  // Waits 500 ms; false when a conversation is already open (it stays open) or none can be
  // made. Starts the hot advise loop on the status item; message 201 when that fails.
  bool ConnectLink();
  void Disconnect();
  // Disconnect, then ConnectLink; the result is kept as reattached.
  bool ReconnectLink();
  // Sends Command(). See docs/channel.md for the flow of results and status polls.
  bool ExecuteCommand();
  bool ExecuteCommand(std::string_view command);
  // Shows the message for the channel's last error.
  void ReportLinkError();
  // Closes the application when this control started it, then ends the client instance.
  bool StopApplication();

  // Launcher: false when a window titled "Korvel Kestrix" exists or the command line cannot be
  // started; otherwise startedHere := true and the result of ConnectLink.
  bool StartApplication();

  const std::string& Command() const { return command_; }
  void SetCommand(std::string command) { command_ = std::move(command); }
  const std::string& LastResultText() const { return last_result_text_; }
  bool Initialised() const { return initialised_; }
  bool Connected() const { return conversation_ != 0; }
  // Limit of execute transactions and status requests. 0 means the channel's default, 15000 ms:
  // the channel has no asynchronous transactions and never waits without a bound.
  std::uint32_t TimeLimit() const { return time_limit_ms_; }
  void SetTimeLimit(std::uint32_t ms) { time_limit_ms_ = ms; }
  bool Reattached() const { return reattached_; }
  void SetReattached(bool value) { reattached_ = value; }
  bool StartedHere() const { return started_here_; }
  // Capture control: whether the last polled command ended in success.
  bool Succeeded() const { return succeeded_; }
  void SetSucceeded(bool value) { succeeded_ = value; }
  const std::string& CommandLine() const { return command_line_; }
  void SetCommandLine(std::string command_line) { command_line_ = std::move(command_line); }

  // What the print control's advise loop last received, process-wide.
  static std::string LastAdviseText();
  static void ClearLastAdviseText();

 private:
  bool PollStatus();
  bool CheckFinalText();
  std::uint32_t PollLimitMs() const;
  void Show(const std::string& text);
  void EndInstance();
  // Whether the running application is the one this link launched: a reattachment to it, made
  // because it was slow to register, is no reattachment to somebody else's instance.
  bool ReachedOwnLaunch() const;

  Services& services_;
  ProductionLinkOptions options_;
  bool initialised_ = false;
  std::unique_ptr<DdeClient> client_;
  NameHandle topic_ = 0;
  NameHandle service_ = 0;
  NameHandle result_item_ = 0;
  NameHandle status_item_ = 0;
  ConversationHandle conversation_ = 0;
  std::string status_;  // the status buffer: at most kMaxItemText bytes
  std::string last_result_text_;
  std::string command_;
  std::uint32_t time_limit_ms_ = kDefaultLinkTimeoutMs;
  bool reattached_ = false;
  bool started_here_ = false;
  int launched_pid_ = 0;
  bool succeeded_ = false;
  std::string command_line_;
};

}  // namespace lumbra
