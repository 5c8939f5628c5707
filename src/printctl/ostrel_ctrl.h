#pragma once
// COstrelCtrl, the card-print control a page creates as "OSTREL.OstrelCtrl.1". The page fills
// its properties and calls DoAPrint; the control fetches the card design, handlers, bitmaps and
// photos from the web server and prints one card per record through the production
// application. Outcomes reach the page through message boxes and the properties.
//
// Texts are kept as Windows-1252; the automation interface carries UTF-8.
#include <cstdint>
#include <string>
#include <vector>

#include "linkmap/form_link_map.h"
#include "platform/automation/dispatch.h"
#include "platform/base/text.h"
#include "printctl/control_settings.h"
#include "printctl/field_list.h"
#include "production/production_link.h"
#include "retrieval/cache_places.h"
#include "retrieval/login_dialog.h"
#include "retrieval/server_account.h"
#include "retrieval/web_retrieval.h"

namespace lumbra {

struct Services;
class BatchProgress;

inline constexpr char kOstrelProgId[] = "OSTREL.OstrelCtrl.1";

class COstrelCtrl final : public DispatchObject {
 public:
  explicit COstrelCtrl(Services& services);
  ~COstrelCtrl() override;
  COstrelCtrl(const COstrelCtrl&) = delete;
  COstrelCtrl& operator=(const COstrelCtrl&) = delete;

  const DispatchTable& Dispatch() const override;

  // Methods of the automation interface.
  void DoAPrint();
  std::string GetUserName();
  std::string GetPassWord();
  void DoClick();
  void AboutBox();
  // The "Properties" verb: the property page's five fields in a form dialog.
  void Properties();

  // State the runs leave behind, for the host and for tests.
  bool IsModified() const { return modified_; }
  int RepaintRequests() const { return repaint_requests_; }
  const std::vector<std::string>& DownloadedFiles() const { return downloaded_files_; }
  const ControlSettings& Settings() const { return settings_; }
  const std::string& SystemFolder() const { return system_folder_; }
  const std::string& ProductionDataFolder() const { return production_data_folder_; }
  const std::string& DesignProjectsFolder() const { return design_projects_folder_; }
  const std::string& ProjectName() const { return project_name_; }
  const ProductionLink& Link() const { return link_; }

 private:
  // How a batch record's print step ends.
  enum class RecordEnd { NextRecord, EndRun };
  // What the single-card run fetched for a record, to delete after it.
  struct SingleCardFiles {
    CachePath site_ini;
    CachePath card;
    CachePath link;
    std::vector<CachePath> bitmaps;
  };

  // Property accessors as the dispatch table binds them (UTF-8 at the interface).
  template <std::string COstrelCtrl::*Text>
  std::string GetText() const {
    return Utf8FromAnsi(this->*Text);
  }
  template <std::string COstrelCtrl::*Text, bool kRepaint = false>
  void SetText(const std::string& value) {
    this->*Text = AnsiFromUtf8(value);
    Changed(kRepaint);
  }
  template <std::string ServerAccount::*Text>
  std::string GetAccountText() const {
    return Utf8FromAnsi(account_.*Text);
  }
  template <std::string ServerAccount::*Text, bool kRepaint = false>
  void SetAccountText(const std::string& value) {
    account_.*Text = AnsiFromUtf8(value);
    Changed(kRepaint);
  }
  template <bool COstrelCtrl::*Flag>
  bool GetFlag() const {
    return this->*Flag;
  }
  template <bool COstrelCtrl::*Flag>
  void SetFlag(bool value) {
    this->*Flag = value;
    Changed(false);
  }
  void SetLinkName(const std::string& value);
  std::string GetLinkInfo() const { return ""; }
  void SetLinkInfo(const std::string&) { Changed(false); }
  std::string GetUserPassword();
  std::int32_t GetOverRidePrint() const { return override_print_ ? 1 : 0; }
  void SetOverRidePrint(std::int32_t value);
  std::int16_t GetPrintStatus() const { return print_status_; }
  void SetPrintStatus(std::int16_t value);

  // The setter's side effects: the control is marked modified, and some setters repaint it.
  void Changed(bool repaint);
  void SetFieldInfoList(std::string value);

  // Shared by the runs.
  void Message(const std::string& text, bool topmost = true);
  CachePlaces Places() const { return CachePlaces(system_folder_, production_data_folder_); }
  // Fetches a server path into a cache place; a refused name is reported and counts as no answer.
  int Fetch(std::string_view accept, const std::string& server_path, const CachePath& local);
  void DeleteCached(const CachePath& local);
  bool StartOrReattach();
  // The application shows its print dialog only for a list of at most one record.
  std::string PrintCommand(std::size_t record_count) const;
  void LoadLink(const std::string& key);

  // The single-card run.
  void RunSingleCard();
  void PrintSingleCard(const FieldMap& record, std::size_t record_count);
  void FetchAndPrintSingleCard(const FieldMap& record, std::size_t record_count, SingleCardFiles& files);
  // The batch run, and one record through the production application.
  void RunBatch();
  bool FetchRecordPhotos(const std::string& photo_groups, int& photo_counter, FieldMap& image_map);
  CachePath PhotoPath(int number);
  RecordEnd PrintBatchRecord(FieldMap fields, const FieldMap& image_map, std::size_t record_count, bool& confirmed,
                             bool& ploxen);
  int FetchForBatch(const std::string& server_path, const CachePath& local);
  void FetchHandlers(bool& ploxen);
  void FetchBitmaps(const std::string& card_file);
  void CleanUpBatchRecord(const FieldMap& image_map);

  Services& services_;

  // Properties, in dispatch order.
  std::string card_name_;
  std::string link_name_;
  std::string field_info_list_;
  std::string url_info_;
  std::string dll_version_;
  // ServerURL (6), UserID (9), PORT (10) and UserPassword (14) live in account_.
  bool kx_installed_ = false;
  std::string get_blob_;
  std::string kx_user_name_;
  std::string kx_password_;
  bool show_print_dialog_ = false;
  bool print_preview_ = false;
  std::string x_ = "200";
  std::string y_ = "200";
  std::string default_printer_;
  bool override_print_ = false;
  std::int16_t print_status_ = 1;
  bool print_flag_ = true;
  bool encode_flag_ = true;

  // Internal state.
  std::string project_name_;
  std::string design_projects_folder_;
  std::string production_data_folder_;
  std::string system_folder_;
  ServerAccount account_;
  CFormLinkMap link_map_;
  LoginDialog login_dialog_;
  ProductionLink link_;
  WebRetrieval retrieval_;
  std::vector<std::string> downloaded_files_;
  ControlSettings settings_;
  bool modified_ = false;
  int repaint_requests_ = 0;
};

}  // namespace lumbra
