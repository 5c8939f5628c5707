#include "printctl/ostrel_ctrl.h"

#include <exception>

#include "platform/base/services.h"
#include "platform/ui/user_interface.h"
#include "printserver/print_server_registry.h"
#include "production/launcher.h"

namespace lumbra {
namespace {

constexpr char kCaption[] = "Ostrel";
constexpr char kAboutTitle[] = "About Ostrel Control";
constexpr char kAboutText[] = "Ostrel Control, Version 9.2";
constexpr char kPropertyPageCaption[] = "General";
// Stock dispatch identifiers of the two standard methods.
constexpr DispId kDispIdDoClick = -601;
constexpr DispId kDispIdAboutBox = -552;
// Our hosting has no verbs: the "Properties" verb is a method after the type library's own.
constexpr DispId kDispIdProperties = 27;

std::string WithBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

COstrelCtrl::COstrelCtrl(Services& services)
    : services_(services),
      system_folder_(WithBackslash(services.root.SystemFolder())),
      link_map_(LinkMapOptions::PrintControl(), services.files, services.ui, system_folder_),
      link_(services, ProductionLinkOptions::PrintControl()),
      retrieval_(services, account_, RetrievalVariant::kPrintControl, [this] { Changed(true); }) {
  if (PrintServerRegistered(services_.registry)) {
    design_projects_folder_ = ReadProjectsFolder(services_.registry) + "\\";
  } else {
    // Consumes the login: a later change of KXUserName or KXPassword does not reach this line.
    LaunchCommand launch = BuildLaunchCommand(services_, system_folder_, kx_user_name_, kx_password_);
    production_data_folder_ = launch.production_data_folder;
    link_.SetCommandLine(launch.command_line);
  }
  kx_installed_ = !design_projects_folder_.empty() || !link_.CommandLine().empty();
  account_.user_id.clear();
  account_.user_password.clear();
  link_.SetReattached(false);
  link_.SetTimeLimit(ReadLinkTimeout(services_, system_folder_));
  show_print_dialog_ = false;
  print_preview_ = false;
  y_ = "200";
  x_ = "200";
  override_print_ = false;
  print_flag_ = true;
  encode_flag_ = true;
  settings_ = ControlSettings::Read(services_.registry);
  default_printer_ = settings_.DefaultPrinter;
  print_status_ = 1;
}

COstrelCtrl::~COstrelCtrl() {
  for (const std::string& path : downloaded_files_) DeleteLocalFile(services_.files, path);
  try {
    link_.StopApplication();
  } catch (const std::exception&) {
    // Nothing may escape a destructor; the application is left to its own end.
  }
}

const DispatchTable& COstrelCtrl::Dispatch() const {
  using C = COstrelCtrl;
  static const DispatchTable table =
      DispatchTable::For<C>("_DOstrel")
          .Property(1, "CardName", &C::GetText<&C::card_name_>, &C::SetText<&C::card_name_>)
          .Property(2, "LinkName", &C::GetText<&C::link_name_>, &C::SetLinkName)
          .Property(3, "FieldInfoList", &C::GetText<&C::field_info_list_>, &C::SetText<&C::field_info_list_, true>)
          .Property(4, "UrlInfo", &C::GetText<&C::url_info_>, &C::SetText<&C::url_info_>)
          .Property(5, "DLLVERSION", &C::GetText<&C::dll_version_>, &C::SetText<&C::dll_version_>)
          .Property(6, "ServerURL", &C::GetAccountText<&ServerAccount::server_url>,
                    &C::SetAccountText<&ServerAccount::server_url>)
          .Property(7, "KXInstalled", &C::GetFlag<&C::kx_installed_>, &C::SetFlag<&C::kx_installed_>)
          .Property(8, "LinkInfo", &C::GetLinkInfo, &C::SetLinkInfo)
          .Property(9, "UserID", &C::GetAccountText<&ServerAccount::user_id>,
                    &C::SetAccountText<&ServerAccount::user_id, true>)
          .Property(10, "PORT", &C::GetAccountText<&ServerAccount::port>, &C::SetAccountText<&ServerAccount::port>)
          .Property(11, "GETBLOB", &C::GetText<&C::get_blob_>, &C::SetText<&C::get_blob_>)
          .Property(12, "KXUserName", &C::GetText<&C::kx_user_name_>, &C::SetText<&C::kx_user_name_>)
          .Property(13, "KXPassword", &C::GetText<&C::kx_password_>, &C::SetText<&C::kx_password_>)
          .Property(14, "UserPassword", &C::GetUserPassword, &C::SetAccountText<&ServerAccount::user_password, true>)
          .Property(15, "ShowPrintDialog", &C::GetFlag<&C::show_print_dialog_>, &C::SetFlag<&C::show_print_dialog_>)
          .Property(16, "PrintPreview", &C::GetFlag<&C::print_preview_>, &C::SetFlag<&C::print_preview_>)
          .Property(17, "X", &C::GetText<&C::x_>, &C::SetText<&C::x_>)
          .Property(18, "Y", &C::GetText<&C::y_>, &C::SetText<&C::y_>)
          .Property(19, "DefaultPrinter", &C::GetText<&C::default_printer_>, &C::SetText<&C::default_printer_>)
          .Property(20, "OverRidePrint", &C::GetOverRidePrint, &C::SetOverRidePrint)
          .Property(21, "PrintStatus", &C::GetPrintStatus, &C::SetPrintStatus)
          .Property(22, "bPrintFlag", &C::GetFlag<&C::print_flag_>, &C::SetFlag<&C::print_flag_>)
          .Property(23, "bEncodeFlag", &C::GetFlag<&C::encode_flag_>, &C::SetFlag<&C::encode_flag_>)
          .Method(24, "DoAPrint", &C::DoAPrint)
          .Method(25, "GetUserName", &C::GetUserName)
          .Method(26, "GetPassWord", &C::GetPassWord)
          .Method(kDispIdProperties, "Properties", &C::Properties)
          .Method(kDispIdDoClick, "DoClick", &C::DoClick)
          .Method(kDispIdAboutBox, "AboutBox", &C::AboutBox);
  return table;
}

void COstrelCtrl::Changed(bool repaint) {
  modified_ = true;
  if (repaint) ++repaint_requests_;
}

void COstrelCtrl::SetFieldInfoList(std::string value) {
  field_info_list_ = std::move(value);
  Changed(true);
}

void COstrelCtrl::SetLinkName(const std::string& value) {
  std::string text = AnsiFromUtf8(value);
  std::string project;
  if (SplitAt(text, project, "/")) {
    project_name_ = project;
    link_name_ = text;
  } else {
    project_name_.clear();
    link_name_ = project;
  }
  Changed(false);
}

std::string COstrelCtrl::GetUserPassword() { return GetPassWord(); }

void COstrelCtrl::SetOverRidePrint(std::int32_t value) {
  override_print_ = value != 0;
  Changed(false);
}

void COstrelCtrl::SetPrintStatus(std::int16_t value) {
  print_status_ = value;
  Changed(false);
}

std::string COstrelCtrl::GetUserName() {
  if (account_.user_id.empty()) retrieval_.CheckServerLogin(login_dialog_);
  return Utf8FromAnsi(account_.user_id);
}

std::string COstrelCtrl::GetPassWord() {
  if (account_.user_password.empty()) retrieval_.CheckServerLogin(login_dialog_);
  return Utf8FromAnsi(account_.user_password);
}

void COstrelCtrl::DoClick() { Message(dll_version_, false); }

void COstrelCtrl::AboutBox() { services_.ui.ShowAbout(kAboutTitle, kAboutText); }

void COstrelCtrl::Properties() {
  const std::vector<FormField> fields = {
      {"DLLVersion", dll_version_, false},
      {"SeverUrl", account_.server_url, false},
      {"Kestrix INstalled     ", kx_installed_ ? "1" : "0", true},
      {"UrlInfo", url_info_, false},
      {"FieldInfoList", field_info_list_, false},
  };
  const auto edited = services_.ui.EditForm(kPropertyPageCaption, fields);
  if (!edited || edited->size() != fields.size()) return;
  dll_version_ = (*edited)[0];
  account_.server_url = (*edited)[1];
  kx_installed_ = (*edited)[2] == "1";
  url_info_ = (*edited)[3];
  field_info_list_ = (*edited)[4];
  Changed(true);
}

void COstrelCtrl::DoAPrint() {
  print_status_ = 1;
  ProductionLink::ClearLastAdviseText();
  if (!kx_installed_) return;
  try {
    if (IsBatchForm(field_info_list_)) {
      RunBatch();
    } else {
      RunSingleCard();
    }
  } catch (const std::exception& failure) {
    // No failure leaves the control; the operator learns why the run stopped.
    Message(std::string("The print run stopped: ") + failure.what());
  }
  services_.ui.EnableActiveWindow();
}

void COstrelCtrl::Message(const std::string& text, bool topmost) {
  MessageBoxRequest request;
  request.text = text;
  request.caption = kCaption;
  request.topmost = topmost;
  services_.ui.ShowMessage(request);
}

int COstrelCtrl::Fetch(std::string_view accept, const std::string& server_path, const CachePath& local) {
  if (!local) {
    Message(local.refusal);
    return 0;
  }
  return retrieval_.ServerFetch(accept, server_path, local.path, false);
}

void COstrelCtrl::DeleteCached(const CachePath& local) {
  // An empty name joins to the folder itself, which is not ours to delete.
  if (!local || local.path.empty() || local.path.back() == '\\') return;
  DeleteLocalFile(services_.files, local.path);
}

bool COstrelCtrl::StartOrReattach() { return link_.StartApplication() || link_.ReconnectLink(); }

std::string COstrelCtrl::PrintCommand(std::size_t record_count) const {
  return record_count <= 1 && show_print_dialog_ ? "[DOPRINT(TRUE,FALSE)]" : "[DOPRINT(FALSE,FALSE)]";
}

void COstrelCtrl::LoadLink(const std::string& key) {
  link_map_.LoadIdLinkMap(system_folder_);
  link_map_.LookupLink(key, link_name_, card_name_, false);
  link_map_.LoadFieldMap(key);
}

}  // namespace lumbra
