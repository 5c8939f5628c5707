#pragma once
// The two controls drive the production application the same way, with a handful of
// differences. Each difference is one field here; the print control and the capture control
// each take their preset.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumbra {

struct ProductionLinkOptions {
  // Caption of the message boxes this link shows.
  std::string message_caption;
  // Text of message 201 (no conversation, or the advise start failed).
  std::string advise_failed_text;

  // Limit for execute transactions; unset means the link's time limit (ReadLinkTimeout).
  std::optional<std::uint32_t> execute_limit_ms;
  // Limit for the "CommandResult" request after a command.
  std::uint32_t result_limit_ms = 15000;
  // Request "CommandResult" after every command (not only those without a poll), and when no
  // data comes back show "<command> DDE ERROR" and the DDE error.
  bool result_after_every_command = false;

  // A command containing one of these is followed by a status poll.
  std::vector<std::string> poll_commands;
  // The item the poll requests, its limit (unset: the time limit) and the pause after a poll
  // that returned data.
  std::string poll_item;
  std::optional<std::uint32_t> poll_limit_ms;
  std::uint32_t poll_pause_ms = 0;
  // A final text containing one of these is success.
  std::vector<std::string> success_texts;
  // A final text equal to this is a failure without a message ("" for none).
  std::string silent_failure_text;
  // During a poll for a command containing `capture_command`, the first window whose title
  // contains `hidden_window_text` is hidden, and shown again after the poll ("" for none).
  std::string capture_command;
  std::string hidden_window_text;

  // Keep what the advise loop delivers in the process-wide last advise text.
  bool keep_advise_text = false;
  // Print control: StopApplication only when started here, reconnects and sends DESTROYKX when
  // it reattached. Capture control: needs an open conversation and sends DESTROYKX when the
  // last conversation was not a reattachment.
  bool stop_only_when_started_here = true;
  // Show "WinExec returned error:%d" when the application cannot be started.
  bool report_start_failure = false;

  static ProductionLinkOptions PrintControl();
  static ProductionLinkOptions CaptureControl();
};

}  // namespace lumbra
