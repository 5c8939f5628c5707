// One batch record printed through the production application: the link and card files into
// the cache, the link's event handlers with their support inis and the card's bitmaps (kept
// for the control's life), then the command script with the optional preview question.
#include "platform/base/services.h"
#include "printctl/ostrel_ctrl.h"
#include "printctl/run_texts.h"

namespace lumbra {
namespace {

constexpr char kPloxenHandler[] = "PLOXEN.DLL";
constexpr char kLinkExtension[] = ".LNK";

std::string FillFieldCommand(const std::string& name, const std::string& value) {
  return "[FILLFIELD(\"" + name + "\",\"" + value + "\")]";
}

}  // namespace

COstrelCtrl::RecordEnd COstrelCtrl::PrintBatchRecord(FieldMap fields, const FieldMap& image_map,
                                                     std::size_t record_count, bool& confirmed, bool& ploxen) {
  if (!link_.Initialised() && !link_.InitialiseLink()) {
    Message("Error: DDE did not initialize");
    return RecordEnd::EndRun;
  }
  if (link_name_.find(kLinkExtension) == std::string::npos) link_name_ += kLinkExtension;
  const CachePlaces places = Places();

  const CachePath link_file = places.Link(link_name_);
  if (FetchForBatch("/kx/links/" + link_name_, link_file) != 200) return RecordEnd::NextRecord;
  card_name_.clear();
  std::string section = "xx";
  std::size_t handler_count = 0;
  link_map_.ReadLinkFile(link_file.path, card_name_, section, handler_count);
  const CachePath card_file = places.Card(card_name_);
  if (FetchForBatch("/kx/cards/" + card_name_, card_file) != 200) return RecordEnd::NextRecord;

  FetchHandlers(ploxen);
  if (ploxen) link_map_.ReadPloxenBitmaps(link_name_, system_folder_);
  FetchBitmaps(card_file.path);

  if (!StartOrReattach()) {
    Message("Exec Kestrix Failed.");
    return RecordEnd::NextRecord;
  }
  fields.erase(std::string(kDataViewIdField));
  if (!link_.ExecuteCommand("[STARTCARD(" + WithoutExtension(link_name_) + ")]")) {
    Message("Print Failed!");
    return RecordEnd::NextRecord;
  }
  for (const auto& [name, value] : fields) {
    if (image_map.contains(name)) continue;
    if (!link_.ExecuteCommand(FillFieldCommand(name, EscapeQuotes(value)))) break;
  }
  for (const auto& [name, path] : image_map) {
    if (!link_.ExecuteCommand(FillFieldCommand(name, path))) {
      Message("Print Failed!");
      break;
    }
  }
  if (print_preview_) {
    link_.ExecuteCommand("[SHOWPREVIEW(" + x_ + "," + y_ + ",TRUE)]");
    MessageBoxRequest question;
    question.text = "Press Yes to print, No to return to the browser.";
    question.caption = "Ostrel";
    question.buttons = Buttons::YesNo;
    question.icon = Icon::Question;
    question.topmost = true;
    confirmed = services_.ui.ShowMessage(question) == Answer::Yes;
    link_.ExecuteCommand("[HIDEPREVIEW(TRUE)] ");
  }
  if (!confirmed) {
    SetFieldInfoList("N");
  } else if (override_print_) {
    SetFieldInfoList("Y");
  } else {
    if (!link_.ExecuteCommand(PrintCommand(record_count))) Message("Print Failed!");
  }
  return RecordEnd::NextRecord;
}

// The link and card files: fetched, or with GetCardsFromServer 0 taken from the cache as they are.
int COstrelCtrl::FetchForBatch(const std::string& server_path, const CachePath& local) {
  const int status = settings_.GetCardsFromServer != 0 ? Fetch("", server_path, local) : 200;
  if (status != 200) {
    Message("Failed to get file Http error: " + std::to_string(status) + " FileName:" + server_path);
  }
  return status;
}

void COstrelCtrl::FetchHandlers(bool& ploxen) {
  const CachePlaces places = Places();
  for (std::size_t i = 0; i < link_map_.EventDllCount(); ++i) {
    const std::string name = link_map_.EventDllAt(i);
    // The last handler of the list decides; a link without handlers keeps the earlier answer.
    ploxen = UpperAnsi(name) == kPloxenHandler;
    if (!FileInFolder(services_.files, places.Folder("handlers"), name)) {
      const CachePath handler = places.Handler(name);
      const int status = Fetch("", "/kx/handlers/" + name, handler);
      if (status == 200) {
        downloaded_files_.push_back(handler.path);
      } else {
        Message("EventHandler not found: Error# " + std::to_string(status));
      }
    }
    const std::string ini_name = WithoutExtension(name) + ".INI";
    const int ini_status = Fetch("", "/kx/handlers/" + ini_name, JoinCacheName(system_folder_, ini_name));
    if (ini_status != 200) Message("Event Support INI not found: Error# " + std::to_string(ini_status));
  }
}

void COstrelCtrl::FetchBitmaps(const std::string& card_file) {
  const CachePlaces places = Places();
  const std::size_t count = link_map_.ReadCardBitmaps(card_file);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string name = link_map_.BitmapAt(i);
    if (FileInFolder(services_.files, places.Folder("bitmap"), name)) continue;
    const CachePath bitmap = places.Bitmap(name);
    const int status = Fetch("", "/kx/bitmap/" + name, bitmap);
    if (status == 200) {
      downloaded_files_.push_back(bitmap.path);
    } else {
      Message("Bitmaps not found: Error# " + std::to_string(status));
    }
  }
}

}  // namespace lumbra
