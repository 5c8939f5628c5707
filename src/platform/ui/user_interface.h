#pragma once
// Everything a component shows goes through this port. Texts are Windows-1252, as the
// components keep them; implementations convert for display.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumbra {

enum class Buttons { Ok, YesNo, OkCancel };
enum class Icon { None, Information, Warning, Error, Question };
enum class Answer { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  bool topmost = false;
  bool system_modal = false;
  bool task_modal = false;
};

struct LoginRequest {
  std::string title;    // "Enter Network Password"
  std::string message;  // the one-line message above the entries, often empty
  std::string user;     // initial entries
  std::string password;
};
inline constexpr std::size_t kLoginUserMax = 20;
inline constexpr std::size_t kLoginPasswordMax = 35;

struct LoginAnswer {
  std::string user;      // at most kLoginUserMax bytes
  std::string password;  // at most kLoginPasswordMax bytes
};

// Modeless progress window; its owner is disabled while it exists.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetPercentText(const std::string& text) = 0;
  virtual void SetRange(int low, int high) = 0;
  virtual void SetPosition(int position) = 0;
  virtual bool CancelPressed() = 0;
};

struct DeviceChoiceRequest {
  std::string title;
  std::vector<std::string> items;
  std::string current;
  std::size_t max_length = 40;
};

struct FileDialogRequest {
  bool save = false;
  std::string title;
  std::string filter;  // "desc|pattern|desc|pattern||"
  std::string default_extension;
  std::string initial_name;
  std::uint32_t flags = 0;
};

// A small form of labelled fields (a property page): edit fields and check boxes.
struct FormField {
  std::string label;
  std::string value;  // a check box holds "1" or "0"
  bool check_box = false;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  virtual Answer ShowMessage(const MessageBoxRequest& request) = 0;
  // nullopt when the user cancels.
  virtual std::optional<LoginAnswer> AskLogin(const LoginRequest& request) = 0;
  virtual std::unique_ptr<ProgressWindow> OpenProgress(const std::string& title) = 0;
  // The chosen or typed entry (cut to max_length), nullopt when cancelled.
  virtual std::optional<std::string> ChooseDevice(const DeviceChoiceRequest& request) = 0;
  virtual void ShowAbout(const std::string& title, const std::string& text) = 0;
  // The chosen path, nullopt when cancelled.
  virtual std::optional<std::string> AskFile(const FileDialogRequest& request) = 0;
  // The edited values in field order, nullopt when cancelled.
  virtual std::optional<std::vector<std::string>> EditForm(const std::string& caption,
                                                           const std::vector<FormField>& fields) = 0;
  virtual void EnableActiveWindow() = 0;
  virtual void DispatchPendingMessages() = 0;
};

}  // namespace lumbra
