#include "printctl/batch_progress.h"

namespace lumbra {

BatchProgress::BatchProgress(UserInterface& ui, int record_count)
    : ui_(ui), window_(ui.OpenProgress(kTitle)), record_count_(record_count), percent_text_(" 0 %") {
  window_->SetStatus("");
  window_->SetRange(0, record_count_);
  window_->SetPosition(0);
  window_->SetPercentText(percent_text_);
}

void BatchProgress::Advance() {
  ui_.DispatchPendingMessages();
  window_->SetPosition(++position_);
  const std::string text = std::to_string(position_ * 100 / record_count_) + "%";
  if (text == percent_text_) return;
  percent_text_ = text;
  window_->SetPercentText(percent_text_);
}

}  // namespace lumbra
