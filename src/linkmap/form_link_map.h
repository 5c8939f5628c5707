#pragma once
// The link configuration that ties a record's data to a card design: which link and card
// files a record type uses, which record field fills which card field, which event-handler
// files a link needs and which bitmaps a card needs. Read from the site ini, the capture ini,
// link files, card files and the Ploxen bitmap list; nothing is ever written.
//
// Both controls own one. Their copies differ in a few points, held in LinkMapOptions.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/ini.h"

namespace lumbra {

class FileSystem;
class UserInterface;
struct Services;

// The byte that separates the parts of a map entry (the pilcrow sign in Windows-1252).
inline constexpr char kEntrySeparator = '\xB6';

struct LinkMapOptions {
  // How LookupLink fills its two outputs from an entry.
  enum class Lookup {
    LinkAndCard,  // LINK 0xB6 CARD gives LINK.LNK and CARD.CDF; an entry without 0xB6 is the
                  // link file itself and leaves the card name as it was
    LinkOnly,     // the text before 0xB6 (or the whole entry) is the link, ".LNK" appended
                  // unless present; the card name becomes ""
  };
  // Where ReadCardBitmaps takes the bitmap names from.
  enum class Bitmaps {
    CardFile,        // lines of the card file named by the argument; the list grows
    SiteIniSection,  // key BITMAP of the site-ini section named by the argument; the list is
                     // emptied first
  };

  std::string checked_ini;      // the file whose presence SiteIniPresent checks
  std::string missing_message;  // shown when it cannot be opened
  std::string message_caption;
  std::string capture_ini;      // the ini whose CAPTUREMAP section LoadCaptureMap reads
  Lookup lookup = Lookup::LinkAndCard;
  Bitmaps bitmaps = Bitmaps::CardFile;

  static LinkMapOptions PrintControl();
  static LinkMapOptions CaptureControl();
};

class CFormLinkMap {
 public:
  // The site ini "Ostrel.ini" and the capture ini are read by bare name from system_folder
  // (with its trailing backslash); messages go to ui.
  CFormLinkMap(LinkMapOptions options, const FileSystem& files, UserInterface& ui,
               std::string system_folder);
  // With the process's installed services and their system folder.
  explicit CFormLinkMap(LinkMapOptions options);

  // True if folder + checked_ini opens for reading; otherwise shows missing_message and
  // returns false. Without a folder, the system folder.
  bool SiteIniPresent(std::string_view folder);
  bool SiteIniPresent();

  // After the presence check, reload IdLinkMap from section IDLINKPRODUCTION of the site ini,
  // or CaptureMap from section CAPTUREMAP of the capture ini. A failed check leaves the map
  // as it was.
  void LoadIdLinkMap(std::string_view folder);
  void LoadCaptureMap(std::string_view folder);
  void LoadCaptureMap();

  // Fills link_name and card_name from the entry of key (exact match) in CaptureMap
  // (use_capture_map) or IdLinkMap.
  void LookupLink(std::string_view key, std::string& link_name, std::string& card_name,
                  bool use_capture_map) const;

  // Reloads FieldMap from the site-ini section named by the link of key's IdLinkMap entry.
  void LoadFieldMap(std::string_view key);
  std::size_t FieldCount() const;
  // Entry n (from 1): the record's field name and the card's field name; "" and "" if none.
  void FieldAt(std::size_t n, std::string& record_key, std::string& card_field) const;

  // Key FIELD of section TYPEFIELD of the site ini (at most 29 characters, "" if missing).
  std::string ReadTypeField();

  // Reads a link file: the event handlers (replacing EventDllList), the card name (from the
  // last CardName line, with ".CDF"), and the first section whose FieldType is 2. A section
  // that comes in non-empty names the section checked at the first header, so a placeholder
  // makes the search start at the second header. A missing file reads nothing.
  void ReadLinkFile(std::string_view path, std::string& card_name, std::string& section,
                    std::size_t& event_count);

  // Adds the bitmap names of a card file (print control) or of a site-ini section (capture
  // control) to BitmapList; returns its size afterwards.
  std::size_t ReadCardBitmaps(std::string_view source);

  // Replaces BitmapList with the bitmaps the Ploxen library lists for a link (its name with
  // a four-character extension) in folder + "ploxen.ini". Only the print control uses it.
  void ReadPloxenBitmaps(std::string_view link_name, std::string_view folder);

  // Entry i (from 0); "" when out of range.
  std::string BitmapAt(std::size_t i) const;
  std::string EventDllAt(std::size_t i) const;
  std::size_t BitmapCount() const { return bitmap_list_.size(); }
  std::size_t EventDllCount() const { return event_dll_list_.size(); }

  const LinkMapOptions& Options() const { return options_; }

 private:
  void LoadKeyedSection(std::string_view section, std::string_view ini,
                        std::map<std::string, std::string>& map) const;
  std::string ReadSiteIni(std::string_view section, std::string_view key,
                          std::size_t buffer_size) const;

  LinkMapOptions options_;
  const FileSystem& files_;
  UserInterface& ui_;
  std::string system_folder_;
  IniReader ini_;

  std::map<std::string, std::string> capture_map_;
  std::string type_field_name_;
  std::map<std::string, std::string> field_map_;
  std::map<std::string, std::string> id_link_map_;
  std::vector<std::string> bitmap_list_;
  std::vector<std::string> event_dll_list_;
};

}  // namespace lumbra
