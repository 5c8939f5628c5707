#include "application.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "card_picture.h"
#include "command.h"
#include "platform/base/text.h"

namespace lumbra::kestrix {
namespace {

constexpr char kStatusItem[] = "KestrixStatus";
constexpr char kResultItem[] = "CommandResult";
constexpr char kNotComplete[] = "NOT COMPLETE";
constexpr char kOk[] = "OK";
// The exit status of a simulated crash, so that a test can tell it from a normal end.
constexpr int kCrashStatus = 70;

bool Contains(std::string_view text, std::string_view part) {
  return !part.empty() && text.find(part) != std::string_view::npos;
}

bool IsImageFile(const std::filesystem::path& path) {
  std::string extension = UpperAnsi(path.extension().string());
  std::error_code ignored;
  return (extension == ".JPG" || extension == ".JPEG" || extension == ".PNG" || extension == ".BMP") &&
         std::filesystem::is_regular_file(path, ignored);
}

}  // namespace

Application::Application(RootLayout root, std::filesystem::path data_folder, Settings settings, std::string user)
    : root_(std::move(root)),
      data_folder_(std::move(data_folder)),
      settings_(std::move(settings)),
      user_(std::move(user)),
      files_(root_.root),
      windows_(root_.RunDir() / "windows"),
      server_(root_.RunDir() / "dde", "Kestrix", *this) {}

Application::~Application() { Stop(); }

bool Application::Start(std::string& error) {
  if (!server_.Start(error)) return false;
  main_window_ = windows_.Create("Korvel Kestrix");
  if (!main_window_) {
    error = "cannot create the window entry in " + (root_.RunDir() / "windows").string();
    server_.Stop();
    return false;
  }
  return true;
}

void Application::Run(const std::atomic<bool>& stop_requested) {
  std::unique_lock lock(mutex_);
  while (!destroy_requested_ && !stop_requested) wake_.wait_for(lock, std::chrono::milliseconds(200));
}

void Application::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  wake_.notify_all();
  if (job_.joinable()) job_.join();
  server_.Stop();
  if (preview_window_) windows_.Destroy(preview_window_->id);
  if (main_window_) windows_.Destroy(main_window_->id);
}

bool Application::AcceptTopic(std::string_view topic) { return EqualsNoCase(topic, "Production"); }

DdeError Application::AdviseStart(std::string_view item, std::uint32_t) {
  return EqualsNoCase(item, kStatusItem) || EqualsNoCase(item, kResultItem) ? DdeError::None : DdeError::NotProcessed;
}

DdeServerHandler::Answer Application::Request(std::string_view item, std::uint32_t) {
  std::lock_guard lock(mutex_);
  if (EqualsNoCase(item, kStatusItem)) return {DdeError::None, status_};
  if (EqualsNoCase(item, kResultItem)) return {DdeError::None, result_};
  return {DdeError::NotProcessed, ""};
}

DdeError Application::Execute(std::string_view text) {
  if (Contains(text, settings_.refuse_command)) return DdeError::NotProcessed;
  if (Contains(text, settings_.busy_command)) return DdeError::Busy;
  if (Contains(text, settings_.delay_command)) std::this_thread::sleep_for(std::chrono::milliseconds(settings_.delay_ms));
  auto command = ParseCommand(text);
  std::lock_guard lock(mutex_);
  if (!command) {
    result_ = "UNKNOWN COMMAND";
    return DdeError::NotProcessed;
  }
  const auto& args = command->args;
  auto arg = [&](std::size_t i) { return i < args.size() ? args[i] : std::string(); };
  const std::string& name = command->name;
  if (name == "DESTROYKX") {
    destroy_requested_ = true;
    wake_.notify_all();
    return DdeError::None;
  }
  if (name == "STARTCARD") return StartCard(arg(0));
  if (name == "FILLFIELD") {
    auto [field, value] = FieldArguments(command->raw_args);
    return FillField(field, value);
  }
  if (name == "SHOWPREVIEW" || name == "HIDEPREVIEW") {
    ShowPreview(name == "SHOWPREVIEW");
    result_ = kOk;
    return DdeError::None;
  }
  if (name == "DOPRINT") return DoPrint(EqualsNoCase(arg(0), "TRUE"));
  if (name == "DOCAPTURE") return DoCapture(arg(0));
  if (name == "GETFIELD") return GetField(arg(0));
  result_ = "UNKNOWN COMMAND " + name;
  return DdeError::NotProcessed;
}

DdeError Application::StartCard(const std::string& link) {
  std::filesystem::path link_file = files_.HostPath((data_folder_ / "links" / (link + ".LNK")).string());
  std::ifstream in(link_file);
  if (link.empty() || !in) {
    result_ = "LINK NOT FOUND: " + link;
    return DdeError::NotProcessed;
  }
  // The card is named on the link file's "CardName=" line.
  std::string line, card_name;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto at = line.find("CardName=");
    if (at != std::string::npos) card_name = line.substr(at + 9) + ".CDF";
  }
  std::error_code ignored;
  if (card_name.empty() ||
      !std::filesystem::is_regular_file(files_.HostPath((data_folder_ / "cards" / card_name).string()), ignored)) {
    result_ = "CARD NOT FOUND: " + card_name;
    return DdeError::NotProcessed;
  }
  card_ = Card{link, card_name, {}};
  result_ = kOk;
  return DdeError::None;
}

DdeError Application::FillField(const std::string& name, const std::string& value) {
  if (!card_) {
    result_ = "NO CARD STARTED";
    return DdeError::NotProcessed;
  }
  for (auto& field : card_->fields) {
    if (EqualsNoCase(field.first, name)) {
      field.second = value;
      result_ = kOk;
      return DdeError::None;
    }
  }
  card_->fields.emplace_back(name, value);
  result_ = kOk;
  return DdeError::None;
}

void Application::ShowPreview(bool show) {
  if (show && !preview_window_) preview_window_ = windows_.Create("Preview");
  if (!show && preview_window_) {
    windows_.Destroy(preview_window_->id);
    preview_window_.reset();
  }
}

void Application::JoinJob() {
  if (job_.joinable()) job_.join();
}

DdeError Application::DoPrint(bool print_dialog) {
  if (!card_) {
    result_ = "NO CARD STARTED";
    return DdeError::NotProcessed;
  }
  if (job_running_) return DdeError::Busy;
  JoinJob();
  status_ = result_ = kNotComplete;
  job_running_ = true;
  job_ = std::thread([this, card = *card_, print_dialog] { RunPrint(card, print_dialog); });
  server_.Advise(kStatusItem, status_);
  return DdeError::None;
}

DdeError Application::DoCapture(const std::string& field) {
  if (job_running_) return DdeError::Busy;
  JoinJob();
  status_ = result_ = kNotComplete;
  captured_field_.clear();
  job_running_ = true;
  job_ = std::thread([this, field] { RunCapture(field); });
  return DdeError::None;
}

DdeError Application::GetField(const std::string& field) {
  if (field.empty() || !EqualsNoCase(field, captured_field_)) {
    result_ = "NO IMAGE FOR " + field;
    return DdeError::NotProcessed;
  }
  std::string temp = GetEnvironment("TEMP");
  std::filesystem::path folder = files_.HostPath(temp.empty() ? "\\" : temp);
  bool signature = EqualsNoCase(settings_.device, "SIGNATURE PAD");
  std::filesystem::path image = folder / (field.substr(0, 8) + (signature ? ".wmf" : ".jpg"));
  bool written = false;
  if (signature) {
    written = WriteSignature(image);
  } else if (!settings_.capture_photo.empty()) {
    std::error_code error;
    written = std::filesystem::copy_file(data_folder_ / settings_.capture_photo, image,
                                         std::filesystem::copy_options::overwrite_existing, error);
  } else {
    written = WriteCapturedPhoto(field, image);
  }
  if (!written) {
    result_ = "CANNOT WRITE " + image.string();
    return DdeError::NotProcessed;
  }
  result_ = kOk;
  return DdeError::None;
}

bool Application::Wait(std::uint32_t ms) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void Application::Publish(std::optional<std::string> status, std::optional<std::string> result) {
  if (status) server_.Advise(kStatusItem, *status);
  if (result) server_.Advise(kResultItem, *result);
}

void Application::RunPrint(Card card, bool print_dialog) {
  bool running = Wait(settings_.print_ms / 2);
  if (running && settings_.die_during_print) {
    std::fprintf(stderr, "kestrix-sim: dying in the middle of a print, as configured\n");
    ::_exit(kCrashStatus);
  }
  running = running && Wait(settings_.print_ms - settings_.print_ms / 2);
  while (running && settings_.never_complete) running = Wait(1000);
  std::string final_text = settings_.print_result;
  if (running && Contains(final_text, "PRINTED") && !WriteRecord(card, print_dialog)) {
    final_text = "PRINT FAILED: CANNOT WRITE TO " + OutputFolder().string();
  }
  if (!running) final_text = "PRINT CANCELLED";
  {
    std::lock_guard lock(mutex_);
    status_ = result_ = final_text;
    job_running_ = false;
  }
  Publish(final_text, final_text);
}

void Application::RunCapture(std::string field) {
  std::optional<WindowEntry> window;
  if (settings_.capture_window) window = windows_.Create("Nubrak Capture");
  bool running = Wait(settings_.capture_ms);
  if (window) windows_.Destroy(window->id);
  std::string final_text = running ? settings_.capture_result : "CAPTURE FAILED";
  {
    std::lock_guard lock(mutex_);
    result_ = final_text;
    if (Contains(final_text, "SUCCESSFUL")) captured_field_ = field;
    job_running_ = false;
  }
  Publish(std::nullopt, final_text);
}

std::filesystem::path Application::OutputFolder() const {
  std::filesystem::path folder = settings_.output_folder;
  return folder.is_absolute() ? folder : data_folder_ / folder;
}

std::pair<std::string, std::filesystem::path> Application::PhotoOf(const Card& card) const {
  for (const auto& [name, value] : card.fields) {
    std::filesystem::path path = files_.HostPath(value);
    if (IsImageFile(path)) return {name, path};
  }
  return {};
}

bool Application::WriteRecord(const Card& card, bool print_dialog) {
  std::filesystem::path folder = OutputFolder();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  int number = 1;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".json") ++number;
  }
  char stem[32];
  std::snprintf(stem, sizeof(stem), "card-%04d", number);
  auto [photo_field, photo] = PhotoOf(card);
  CardFace face{card.link, card.card, card.fields, photo, photo_field};
  nlohmann::ordered_json record;
  record["link"] = Utf8FromAnsi(card.link);
  record["card"] = Utf8FromAnsi(card.card);
  record["operator"] = Utf8FromAnsi(user_);
  record["print_dialog"] = print_dialog;
  nlohmann::ordered_json fields = nlohmann::ordered_json::object();
  for (const auto& [name, value] : card.fields) fields[Utf8FromAnsi(name)] = Utf8FromAnsi(value);
  record["fields"] = fields;
  record["photo"] = face.photo.string();
  record["picture"] = std::string(stem) + ".png";
  if (!WriteCardPicture(face, folder / (std::string(stem) + ".png"))) return false;
  std::ofstream out(folder / (std::string(stem) + ".json"));
  out << record.dump(2) << "\n";
  return static_cast<bool>(out.flush());
}

}  // namespace lumbra::kestrix
