#pragma once
// The "Ostrel Batch Print Status" window of a batch run with more than one record: a bar that
// advances one step per record and a percent text. Its owner stays disabled while it exists.
#include <memory>
#include <string>

#include "platform/ui/user_interface.h"

namespace lumbra {

class BatchProgress {
 public:
  static constexpr const char* kTitle = "Ostrel Batch Print Status";

  BatchProgress(UserInterface& ui, int record_count);

  // Dispatches waiting messages, moves the bar one step, and shows position * 100 / N + "%"
  // when that differs from the text shown. The Cancel button is not consulted: every record
  // of a batch is printed.
  void Advance();

 private:
  UserInterface& ui_;
  std::unique_ptr<ProgressWindow> window_;
  int record_count_;
  int position_ = 0;
  std::string percent_text_;
};

}  // namespace lumbra
