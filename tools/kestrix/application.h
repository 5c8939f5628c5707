#pragma once
// The stand-in production application: serves the "Kestrix" service with the topic
// "Production", obeys the bracketed commands, runs print and capture jobs in the background and
// publishes their status, and owns the "Korvel Kestrix" window while it runs.
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/base/files.h"
#include "platform/base/root.h"
#include "platform/channel/dde_server.h"
#include "platform/process/window_table.h"
#include "settings.h"

namespace lumbra::kestrix {

class Application final : public DdeServerHandler {
 public:
  Application(RootLayout root, std::filesystem::path data_folder, Settings settings, std::string user);
  ~Application() override;

  bool Start(std::string& error);
  // Blocks until "[DESTROYKX]" arrives or stop_requested is set (checked every 200 ms).
  void Run(const std::atomic<bool>& stop_requested);
  void Stop();

  bool AcceptTopic(std::string_view topic) override;
  DdeError Execute(std::string_view command) override;
  Answer Request(std::string_view item, std::uint32_t format) override;
  DdeError AdviseStart(std::string_view item, std::uint32_t format) override;

 private:
  struct Card {
    std::string link;
    std::string card;
    std::vector<std::pair<std::string, std::string>> fields;
  };

  // Each returns the error to answer with; they run under mutex_.
  DdeError StartCard(const std::string& link);
  DdeError FillField(const std::string& name, const std::string& value);
  DdeError DoPrint(bool print_dialog);
  DdeError DoCapture(const std::string& field);
  DdeError GetField(const std::string& field);
  void ShowPreview(bool show);

  void RunPrint(Card card, bool print_dialog);
  void RunCapture(std::string field);
  // Waits up to ms; false when the application is stopping.
  bool Wait(std::uint32_t ms);
  void Publish(std::optional<std::string> status, std::optional<std::string> result);
  void JoinJob();
  std::filesystem::path OutputFolder() const;
  // The first field whose value names a picture file: its name and the file.
  std::pair<std::string, std::filesystem::path> PhotoOf(const Card& card) const;
  bool WriteRecord(const Card& card, bool print_dialog);

  RootLayout root_;
  std::filesystem::path data_folder_;
  Settings settings_;
  std::string user_;
  FileSystem files_;
  WindowTable windows_;
  DdeServer server_;

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool destroy_requested_ = false;
  std::optional<Card> card_;
  std::string status_ = "READY";
  std::string result_ = "READY";
  bool job_running_ = false;
  std::string captured_field_;  // the field whose capture succeeded last
  std::optional<WindowEntry> main_window_;
  std::optional<WindowEntry> preview_window_;
  std::thread job_;
};

}  // namespace lumbra::kestrix
