#pragma once
// The data-save object: posts the page's form text and selected local files to a server page,
// calls server pages and fetches files with the operator's web credentials, and offers the
// page a few local services. Texts are Windows-1252; the module converts at the interface.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "datasave/send_body.h"
#include "platform/base/services.h"
#include "platform/http/http_client.h"
#include "platform/ui/user_interface.h"

namespace lumbra {

// The failures the object raises to the page as automation errors; everything else is told
// through message boxes and result texts.
class DataSaveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DataSaveProperties {
  std::string server_url;       // ServerURL
  std::string port;             // PORT
  std::string field_info_list;  // FieldInfoList
  std::string dll_version;      // DLLVERSION: the page SendData posts to
  std::string app_path;         // AppPath: prefix of the login probe page
};

struct LoginCheck {
  bool ok = false;
  int status = 0;  // the last status seen; -1 when the user cancelled
};

class DataSave {
 public:
  explicit DataSave(Services& services) : services_(services) {}

  DataSaveProperties properties;

  // Server work.
  std::string SendData();
  std::string GetData(const std::string& url);
  std::string GetUserName();
  std::string GetPassword();
  std::string CallASP(const std::string& url) const;
  LoginCheck CheckServerLogin();
  // One GET into a file (download) or one form post collecting its answer; the HTTP status,
  // 0 when no answer came.
  int ServerCall(const std::optional<std::string>& accept, const std::string& url,
                 const std::string& local_file, bool download, std::string& answer,
                 bool status_only);

  // Blob selection.
  void SelectBlob(const std::string& field_name, const std::string& table_id,
                  const std::string& text_stream, const std::string& blob_id,
                  const std::string& file_name, const std::string& where_clause);
  bool BlobSelected() const { return blob_selected_; }
  void CleanUp();
  void CleanUpNoDelete();
  void GetBio(const std::string& url, const std::string& file_name);
  const SelectionTable& Selection() const { return selection_; }

  // Local services. The automation true value is -1 (all bits set).
  std::string GetRegValue(int hive, const std::string& path, const std::string& key);
  std::string BrowseForFile(std::int16_t open, const std::string& default_extension,
                            const std::string& file_name, std::uint32_t flags,
                            const std::string& filter);
  void WriteTextFile(const std::string& file_name, const std::string& data);
  std::string ReadTextFile(const std::string& file_name);
  bool RemoveFile(const std::string& file_name);

 private:
  static constexpr const char* kCaption = "Quorra";

  void Tell(const std::string& text, Icon icon);
  HttpRequest NewRequest(HttpMethod method, std::string path) const;
  // The internet client with the workstation's settings.
  HttpClient Client();

  Services& services_;
  SelectionTable selection_;
  std::string user_;
  std::string password_;
  bool blob_selected_ = false;
};

}  // namespace lumbra
