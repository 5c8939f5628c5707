#include "linkmap/form_link_map.h"

#include <utility>

#include "linkmap/ploxen_line.h"
#include "linkmap/text_lines.h"
#include "platform/base/files.h"
#include "platform/base/services.h"
#include "platform/base/text.h"
#include "platform/ui/user_interface.h"

namespace lumbra {
namespace {

constexpr std::string_view kSiteIni = "Ostrel.ini";
constexpr std::string_view kPloxenIni = "ploxen.ini";
// Values are read into a 200-byte buffer, so at most 199 characters.
constexpr std::size_t kValueBuffer = 200;
constexpr std::size_t kTypeFieldBuffer = 30;
constexpr int kImageFieldType = 2;

// Splits an entry at its first 0xB6; false (and nothing set) when it has none.
bool SplitEntry(std::string_view entry, std::string& before, std::string& after) {
  const auto at = entry.find(kEntrySeparator);
  if (at == std::string_view::npos) return false;
  before.assign(entry.substr(0, at));
  after.assign(entry.substr(at + 1));
  return true;
}

// The text after the first occurrence of marker in line; false when the line lacks it.
bool TextAfter(std::string_view line, std::string_view marker, std::string& text) {
  const auto at = line.find(marker);
  if (at == std::string_view::npos) return false;
  text.assign(line.substr(at + marker.size()));
  return true;
}

// The name between the first "[" and the first "]" of a header line; "" when the "]" is
// missing or comes first.
std::string SectionName(std::string_view line) {
  const auto open = line.find('[');
  const auto close = line.find(']');
  if (close == std::string_view::npos || close < open) return {};
  return std::string(line.substr(open + 1, close - open - 1));
}

}  // namespace

LinkMapOptions LinkMapOptions::PrintControl() {
  return {.checked_ini = "ostrel.ini",
          .missing_message = "Ostrel.ini File could not be opened ",
          .message_caption = "Ostrel",
          .capture_ini = "Web.ini",
          .lookup = Lookup::LinkAndCard,
          .bitmaps = Bitmaps::CardFile};
}

LinkMapOptions LinkMapOptions::CaptureControl() {
  return {.checked_ini = "fennic.ini",
          .missing_message = "Fennic.ini could not be opened.",
          .message_caption = "Fennic",
          .capture_ini = "fennic.ini",
          .lookup = Lookup::LinkOnly,
          .bitmaps = Bitmaps::SiteIniSection};
}

CFormLinkMap::CFormLinkMap(LinkMapOptions options, const FileSystem& files, UserInterface& ui,
                           std::string system_folder)
    : options_(std::move(options)),
      files_(files),
      ui_(ui),
      system_folder_(std::move(system_folder)),
      ini_(files_, system_folder_) {}

CFormLinkMap::CFormLinkMap(LinkMapOptions options)
    : CFormLinkMap(std::move(options), CurrentServices().files, CurrentServices().ui,
                   CurrentServices().root.SystemFolder()) {}

bool CFormLinkMap::SiteIniPresent(std::string_view folder) {
  const std::string path = std::string(folder) + options_.checked_ini;
  if (files_.OpenForReading(path).is_open()) return true;
  ui_.ShowMessage({.text = options_.missing_message, .caption = options_.message_caption,
                   .buttons = Buttons::Ok, .icon = Icon::Error});
  return false;
}

bool CFormLinkMap::SiteIniPresent() { return SiteIniPresent(system_folder_); }

void CFormLinkMap::LoadIdLinkMap(std::string_view folder) {
  if (!SiteIniPresent(folder)) return;
  LoadKeyedSection("IDLINKPRODUCTION", kSiteIni, id_link_map_);
}

void CFormLinkMap::LoadCaptureMap(std::string_view folder) {
  if (!SiteIniPresent(folder)) return;
  LoadKeyedSection("CAPTUREMAP", options_.capture_ini, capture_map_);
}

void CFormLinkMap::LoadCaptureMap() { LoadCaptureMap(system_folder_); }

void CFormLinkMap::LoadKeyedSection(std::string_view section, std::string_view ini,
                                    std::map<std::string, std::string>& map) const {
  map.clear();
  std::string key;
  std::string entry;
  for (int n = 1;; ++n) {
    const std::string value = ini_.ReadString(section, std::to_string(n), "", kValueBuffer, ini);
    if (value.empty()) break;
    // A value without a key carries nothing to store.
    if (!SplitEntry(value, key, entry)) continue;
    map.insert_or_assign(UpperAnsi(key), UpperAnsi(entry));
  }
}

void CFormLinkMap::LookupLink(std::string_view key, std::string& link_name, std::string& card_name,
                              bool use_capture_map) const {
  const auto& map = use_capture_map ? capture_map_ : id_link_map_;
  const auto found = map.find(std::string(key));
  if (found == map.end() || found->second.empty()) {
    link_name.clear();
    card_name.clear();
    return;
  }
  const std::string_view entry = found->second;
  const std::string_view link = entry.substr(0, entry.find(kEntrySeparator));
  if (options_.lookup == LinkMapOptions::Lookup::LinkOnly) {
    link_name = link;
    if (link.find(".LNK") == std::string_view::npos) link_name += ".LNK";
    card_name.clear();
    return;
  }
  if (link.size() == entry.size()) {
    // The entry names the link file itself.
    link_name = entry;
    return;
  }
  link_name = std::string(link) + ".LNK";
  card_name = std::string(entry.substr(link.size() + 1)) + ".CDF";
}

std::string CFormLinkMap::ReadSiteIni(std::string_view section, std::string_view key,
                                      std::size_t buffer_size) const {
  return ini_.ReadString(section, key, "", buffer_size, kSiteIni);
}

void CFormLinkMap::LoadFieldMap(std::string_view key) {
  field_map_.clear();
  const auto found = id_link_map_.find(std::string(key));
  if (found == id_link_map_.end()) return;
  const auto at = found->second.find(kEntrySeparator);
  if (at == std::string::npos) return;
  const std::string section = found->second.substr(0, at);
  std::string record_key;
  std::string card_field;
  for (int n = 1;; ++n) {
    const std::string value = ReadSiteIni(section, std::to_string(n), kValueBuffer);
    if (value.empty()) break;
    // Entries are numbered by the fields kept, so a skipped value does not hide the ones
    // after it from FieldCount and FieldAt.
    if (!SplitEntry(value, record_key, card_field)) continue;
    field_map_.emplace(std::to_string(field_map_.size() + 1), value);
  }
}

std::size_t CFormLinkMap::FieldCount() const { return field_map_.size(); }

void CFormLinkMap::FieldAt(std::size_t n, std::string& record_key, std::string& card_field) const {
  const auto found = field_map_.find(std::to_string(n));
  if (found == field_map_.end() || !SplitEntry(found->second, record_key, card_field)) {
    record_key.clear();
    card_field.clear();
  }
}

std::string CFormLinkMap::ReadTypeField() {
  type_field_name_ = ReadSiteIni("TYPEFIELD", "FIELD", kTypeFieldBuffer);
  return type_field_name_;
}

void CFormLinkMap::ReadLinkFile(std::string_view path, std::string& card_name, std::string& section,
                                std::size_t& event_count) {
  event_dll_list_.clear();
  const auto lines = ReadTextLines(files_, path, LastLine::Ignore);
  for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
    std::string text;
    if (line.find('[') != std::string::npos) {
      if (section.empty()) section = SectionName(line);
      if (ini_.ReadInt(section, "FieldType", -1, path) != kImageFieldType) section.clear();
    } else if (TextAfter(line, "EventDll=", text)) {
      event_dll_list_.push_back(std::move(text));
    } else if (const auto at = line.find("CardName"); at != std::string::npos) {
      // The name starts after "CardName" and one separator character.
      const auto start = at + 9;
      card_name = (start < line.size() ? line.substr(start) : std::string{}) + ".CDF";
    }
  }
  event_count = event_dll_list_.size();
}

std::size_t CFormLinkMap::ReadCardBitmaps(std::string_view source) {
  if (options_.bitmaps == LinkMapOptions::Bitmaps::SiteIniSection) {
    bitmap_list_.clear();
    const std::string value = ReadSiteIni(source, "BITMAP", kValueBuffer);
    std::string_view names = value;
    while (!names.empty()) {
      const auto end = names.find(kEntrySeparator);
      if (end != 0) bitmap_list_.emplace_back(names.substr(0, end));
      names = end == std::string_view::npos ? std::string_view{} : names.substr(end + 1);
    }
    return bitmap_list_.size();
  }
  const auto lines = ReadTextLines(files_, source, LastLine::Keep);
  for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
    std::string name;
    if (TextAfter(line, "BMPFileName=", name)) bitmap_list_.push_back(std::move(name));
    if (TextAfter(line, "strBackgndBMPName=", name)) bitmap_list_.push_back(std::move(name));
  }
  return bitmap_list_.size();
}

void CFormLinkMap::ReadPloxenBitmaps(std::string_view link_name, std::string_view folder) {
  const std::string_view bare = link_name.substr(0, link_name.size() < 4 ? 0 : link_name.size() - 4);
  const std::string marker = "[" + std::string(bare) + "]";
  bitmap_list_.clear();
  const auto lines = ReadTextLines(files_, std::string(folder) + std::string(kPloxenIni), LastLine::Ignore);
  bool inside = false;
  for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
    if (line.find(marker) != std::string::npos) {
      inside = true;
    } else if (line.find('[') != std::string::npos) {
      inside = false;
    }
    if (inside) AppendPloxenBitmaps(line, bitmap_list_);
  }
}

std::string CFormLinkMap::BitmapAt(std::size_t i) const {
  return i < bitmap_list_.size() ? bitmap_list_[i] : std::string{};
}

std::string CFormLinkMap::EventDllAt(std::size_t i) const {
  return i < event_dll_list_.size() ? event_dll_list_[i] : std::string{};
}

}  // namespace lumbra
