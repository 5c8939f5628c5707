// The batch run: the field list in the batch layout, one card per record, with the record's
// photos fetched from the stored-photo page, the link settled once for the run, and the files
// of each record removed after it.
#include <optional>

#include "platform/base/services.h"
#include "printctl/batch_progress.h"
#include "printctl/ostrel_ctrl.h"
#include "printctl/run_texts.h"
#include "printserver/print_server_registry.h"

namespace lumbra {
namespace {

constexpr char kPrintServerUnavailable[] = "Printing through the print server is not available in this build.";

}  // namespace

void COstrelCtrl::RunBatch() {
  if (field_info_list_.empty()) return;
  const std::vector<std::string> records = CutBatchList(field_info_list_);
  const std::size_t record_count = records.size();
  std::optional<BatchProgress> progress;
  if (record_count > 1) progress.emplace(services_.ui, static_cast<int>(record_count));

  int photo_counter = 0;
  bool confirmed = true;
  bool ploxen = false;
  for (const std::string& record : records) {
    SetFieldInfoList(record);
    if (!record.empty()) {
      FieldMap fields;
      FieldMap image_map;
      SetFieldInfoList(TakeFieldGroup(record, fields));
      if (!retrieval_.CheckServerLogin(login_dialog_)) break;
      if (const std::string link = ValueOf(fields, kLinkFileNameField); !link.empty()) link_name_ = link;
      // The site ini is consulted only while no link is settled for the run.
      if (link_name_.empty()) {
        const CachePath site_ini = JoinCacheName(system_folder_, kSiteIniName);
        const int status = Fetch("", kSiteIniPath, site_ini);
        if (status != 200) {
          Message(StatusMessage("Failed to get the ostrel.ini file. Error Status Code %ld", status));
          break;
        }
        LoadLink(ValueOf(fields, kDataViewIdField));
      }
      link_name_ = UpperAnsi(link_name_);
      const bool photos_complete = FetchRecordPhotos(field_info_list_, photo_counter, image_map);
      RecordEnd end = RecordEnd::EndRun;
      if (photos_complete) {
        if (PrintServerRegistered(services_.registry)) {
          Message(kPrintServerUnavailable);
          print_status_ = 0;
          end = RecordEnd::NextRecord;
        } else {
          end = PrintBatchRecord(std::move(fields), image_map, record_count, confirmed, ploxen);
        }
      }
      // The record's files go even when the run ends here: no photo is left behind.
      CleanUpBatchRecord(image_map);
      if (end == RecordEnd::EndRun) break;
    }
    if (progress) progress->Advance();
  }
}

bool COstrelCtrl::FetchRecordPhotos(const std::string& photo_groups, int& photo_counter, FieldMap& image_map) {
  const std::vector<FieldMap> descriptors = ParsePhotoGroups(photo_groups);
  SetFieldInfoList("");
  for (const FieldMap& descriptor : descriptors) {
    const CachePath photo = PhotoPath(photo_counter++);
    url_info_ = get_blob_ + "?tableid=" + ValueOf(descriptor, kPhotoTableId) +
                "&column=" + EscapeAmpersands(ValueOf(descriptor, kPhotoColumn)) +
                "&where=" + EscapeAmpersands(ValueOf(descriptor, kPhotoWhere));
    const auto field = descriptor.find(std::string(kPhotoLinkFieldName));
    if (field == descriptor.end()) continue;
    const std::string field_name = UpperAnsi(field->second);
    if (Fetch(kPhotoAccept, url_info_, photo) == 200) {
      image_map[field_name] = photo.path;
    } else if (settings_.RequireImage != 0) {
      Message("Error: " + field_name + " not retrieved.", false);
      return false;
    }
  }
  return true;
}

CachePath COstrelCtrl::PhotoPath(int number) {
  if (design_projects_folder_.empty()) return Places().BatchPhoto(std::to_string(number));
  const std::string project_folder = design_projects_folder_ + project_name_;
  if (!services_.files.IsFolder(project_folder)) services_.files.CreateFolder(project_folder);
  return JoinCacheName(project_folder, std::to_string(number) + ".jpg");
}

void COstrelCtrl::CleanUpBatchRecord(const FieldMap& image_map) {
  for (const auto& [field, path] : image_map) DeleteLocalFile(services_.files, path);
  const CachePlaces places = Places();
  DeleteCached(places.Card(card_name_));
  DeleteCached(places.Link(link_name_));
  DeleteLocalFile(services_.files, places.SingleCardPhoto());
  DeleteCached(JoinCacheName(system_folder_, kSiteIniName));
}

}  // namespace lumbra
