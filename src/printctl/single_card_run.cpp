// The single-card run: the field list in the single-card layout, one card per record, always
// through the production application, with the files of each record fetched and removed again.
#include "platform/base/services.h"
#include "printctl/ostrel_ctrl.h"
#include "printctl/run_texts.h"

namespace lumbra {

void COstrelCtrl::RunSingleCard() {
  if (!link_.InitialiseLink()) {
    Message("Error: DDE did not initialize");
    return;
  }
  const std::vector<std::string> records = CutSingleCardList(field_info_list_);
  for (const std::string& record : records) {
    SetFieldInfoList(record);
    if (record.empty()) continue;
    const FieldMap map = ParseSingleCardRecord(record);
    url_info_ = dll_version_ + "?ShowMeTheEmployee&KeyField=" + ValueOf(map, kPersonKeyField) +
                "&Type=" + ValueOf(map, kRecordTypeField);
    // A refused login ends the run where it stands: nothing more is fetched or stopped.
    if (!retrieval_.CheckServerLogin(login_dialog_)) return;
    PrintSingleCard(map, records.size());
  }
  link_.StopApplication();
}

void COstrelCtrl::PrintSingleCard(const FieldMap& record, std::size_t record_count) {
  // Every step that fails ends only this record; the files it fetched go in any case.
  SingleCardFiles files;
  FetchAndPrintSingleCard(record, record_count, files);
  DeleteCached(files.card);
  DeleteCached(files.link);
  DeleteLocalFile(services_.files, Places().SingleCardPhoto());
  DeleteCached(files.site_ini);
  for (const CachePath& bitmap : files.bitmaps) DeleteCached(bitmap);
}

void COstrelCtrl::FetchAndPrintSingleCard(const FieldMap& record, std::size_t record_count, SingleCardFiles& files) {
  const CachePlaces places = Places();
  files.site_ini = JoinCacheName(system_folder_, kSiteIniName);
  const int ini_status = Fetch("", kSiteIniPath, files.site_ini);
  if (ini_status != 200) {
    Message(StatusMessage("Failed to get the ostrel.ini file. Error Status Code %ld", ini_status));
    return;
  }
  LoadLink(ValueOf(record, link_map_.ReadTypeField()));
  files.card = places.Card(card_name_);
  const int card_status = Fetch("", "/kx/cards/" + card_name_, files.card);
  if (card_status != 200) {
    Message(StatusMessage("Failed to get the Card file. Error Status Code %ld", card_status));
    return;
  }
  files.link = places.Link(link_name_);
  const int link_status = Fetch("", "/kx/links/" + link_name_, files.link);
  if (link_status != 200) {
    Message(StatusMessage("Failed to get the Link file. Error Status Code %ld", link_status));
    return;
  }
  const bool photo_fetched =
      retrieval_.ServerFetch(kPhotoAccept, url_info_, places.SingleCardPhoto(), false) == 200;
  if (!StartOrReattach()) {
    Message("Error: Could not initialize Kestrix");
    return;
  }
  const std::size_t bitmap_count = link_map_.ReadCardBitmaps(files.card.path);
  for (std::size_t i = 0; i < bitmap_count; ++i) {
    const std::string name = link_map_.BitmapAt(i);
    const std::string server_path = "/kx/bitmap/" + name;
    files.bitmaps.push_back(places.Bitmap(name));
    const int status = Fetch("", server_path, files.bitmaps.back());
    if (status != 200) {
      Message("Error retreiving Bitmap " + server_path + ": Error# " + std::to_string(status));
    }
  }
  if (!link_.ExecuteCommand("[STARTCARD(" + WithoutExtension(link_name_) + ")]")) {
    Message("Print Failed!");
    return;
  }
  for (std::size_t k = 1; k <= link_map_.FieldCount(); ++k) {
    std::string record_key;
    std::string card_field;
    link_map_.FieldAt(k, record_key, card_field);
    if (!link_.ExecuteCommand("[FILLFIELD(" + card_field + ",\"" + ValueOf(record, record_key) + "\")]")) break;
  }
  // Without a photo the command still in hand goes out again, as the application expects.
  if (photo_fetched) link_.SetCommand("[FILLFIELD(PHOTO,\"" + production_data_folder_ + "\\NEWPHOTO.JPG\")]");
  if (!link_.ExecuteCommand()) {
    Message("Print Failed!");
    return;
  }
  if (!link_.ExecuteCommand(PrintCommand(record_count))) Message("Print Failed!");
}

}  // namespace lumbra
