#pragma once
// The FieldInfoList text the page hands the print control, cut into print records.
// Two layouts: the batch layout (records of a field group and photo groups, with multi-byte
// separators) and the single-card layout (records of pairs, with one-byte separators).
// All texts are Windows-1252; the separators are byte values of that code page.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra {

inline constexpr std::string_view kRecordSeparator = "<&KVPrintRecSep>";
inline constexpr std::string_view kGroupSeparator = "\xA9\xAE-";
inline constexpr std::string_view kPairSeparator = "\xA9-\xAE";
inline constexpr char kSingleRecordSeparator = '\xB6';
inline constexpr char kSinglePairSeparator = '\xF0';

// Names with a meaning of their own in a batch record's field group.
inline constexpr std::string_view kLinkFileNameField = "LINKFILENAME";
inline constexpr std::string_view kDataViewIdField = "DATAVIEWID";
// Names recognised in a photo group, exactly so.
inline constexpr std::string_view kPhotoTableId = "TABLEID";
inline constexpr std::string_view kPhotoColumn = "COLUMN";
inline constexpr std::string_view kPhotoWhere = "WHERE";
inline constexpr std::string_view kPhotoLinkFieldName = "LINKFIELDNAME";
// Names with a meaning of their own in a single-card record.
inline constexpr std::string_view kPersonKeyField = "HEADER0_1";
inline constexpr std::string_view kRecordTypeField = "TYPE";

// NAME to VALUE; a later pair with the same NAME replaces an earlier one; lookups are exact.
using FieldMap = std::map<std::string, std::string>;

// Finds the first occurrence of separator in text. Found: head := the text before it,
// text := the text after it, true. Not found: head := text, text := "", false.
// An empty separator gives false and changes nothing.
bool SplitAt(std::string& text, std::string& head, std::string_view separator);

// The batch layout is selected whenever the list holds a pair separator anywhere.
bool IsBatchForm(std::string_view list);

// Cuts a batch list into its records, in order. A list that does not end with the record
// separator gets one appended first (the caller's text changes, as the property does).
// An empty record (two separators in a row) is kept: it counts but prints nothing.
std::vector<std::string> CutBatchList(std::string& list);

// One batch record, parsed.
struct PrintRecord {
  // From the field group: NAME upper-cased, VALUE unchanged.
  FieldMap fields;
  // One map per photo group, in order, NAME and VALUE unchanged. A record without photo
  // groups still yields one (empty) descriptor.
  std::vector<FieldMap> photos;
};

// The field group of a batch record, parsed into `fields`; returns the rest of the record
// (the photo-group text, without a trailing group separator), which is what the record's
// property holds until its photo groups are read.
std::string TakeFieldGroup(std::string_view record, FieldMap& fields);
// The photo groups of that rest, one descriptor per group.
std::vector<FieldMap> ParsePhotoGroups(std::string_view photo_groups);
// Both steps at once.
PrintRecord ParseBatchRecord(std::string_view record);

// Cuts a single-card list at every 0xB6; a trailing 0xB6 adds no record, an empty record
// between two separators is kept (it counts but prints nothing).
std::vector<std::string> CutSingleCardList(std::string_view list);

// One single-card record: pairs joined by 0xF0, NAME and VALUE both upper-cased.
FieldMap ParseSingleCardRecord(std::string_view record);

// Pairs without "=" (an empty pair included) carry nothing and are ignored by both parsers.

// Every double quote becomes two apostrophes, for values put between double quotes in a
// command.
std::string EscapeQuotes(std::string_view value);
// Every "&" becomes "%26", for values put into a query.
std::string EscapeAmpersands(std::string_view value);

}  // namespace lumbra
