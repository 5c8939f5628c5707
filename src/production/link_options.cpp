#include "production/link_options.h"

namespace lumbra {

ProductionLinkOptions ProductionLinkOptions::PrintControl() {
  ProductionLinkOptions options;
  options.message_caption = "Ostrel";
  options.advise_failed_text = "Failed to start the advise loop for KestrixStatus.";
  options.result_limit_ms = 15000;
  options.poll_commands = {"DOPRINT"};
  options.poll_item = "KestrixStatus";
  options.success_texts = {"PRINTED"};
  options.keep_advise_text = true;
  options.stop_only_when_started_here = true;
  return options;
}

ProductionLinkOptions ProductionLinkOptions::CaptureControl() {
  ProductionLinkOptions options;
  options.message_caption = "Fennic";
  options.advise_failed_text = "Failed to start the advise loop for Status.";
  options.execute_limit_ms = 500000;
  options.result_limit_ms = 500000;
  options.result_after_every_command = true;
  options.poll_commands = {"DOPRINT", "DOCAPTURE"};
  options.poll_item = "CommandResult";
  options.poll_limit_ms = 15000;
  options.poll_pause_ms = 2000;
  options.success_texts = {"SUCCESSFUL", "PRINTED"};
  options.silent_failure_text = "CAPTURE FAILED";
  options.capture_command = "DOCAPTURE";
  options.hidden_window_text = "Nubrak";
  options.stop_only_when_started_here = false;
  options.report_start_failure = true;
  return options;
}

}  // namespace lumbra
