#include "printctl/field_list.h"

#include "platform/base/text.h"

namespace lumbra {
namespace {

// Splits a pair at its first "="; a pair without one carries nothing.
bool SplitPair(std::string_view pair, std::string& name, std::string& value) {
  const auto equals = pair.find('=');
  if (equals == std::string_view::npos) return false;
  name.assign(pair.substr(0, equals));
  value.assign(pair.substr(equals + 1));
  return true;
}

enum class Case { Keep, UpperName, UpperNameAndValue };

// Reads every pair of a group whose pairs are joined by separator. The group need not end
// with the separator: the last pair runs to the end.
FieldMap ParsePairs(std::string_view group, std::string_view separator, Case letter_case) {
  FieldMap map;
  std::string name;
  std::string value;
  while (!group.empty()) {
    const auto end = group.find(separator);
    const auto pair = group.substr(0, end);
    group = end == std::string_view::npos ? std::string_view{} : group.substr(end + separator.size());
    if (!SplitPair(pair, name, value)) continue;
    if (letter_case != Case::Keep) name = UpperAnsi(name);
    if (letter_case == Case::UpperNameAndValue) value = UpperAnsi(value);
    map.insert_or_assign(std::move(name), std::move(value));
  }
  return map;
}

std::string ReplaceAll(std::string_view value, char from, std::string_view to) {
  std::string result;
  result.reserve(value.size());
  for (const char c : value) {
    if (c == from) {
      result += to;
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace

bool SplitAt(std::string& text, std::string& head, std::string_view separator) {
  if (separator.empty()) return false;
  const auto at = text.find(separator);
  if (at == std::string::npos) {
    head = std::move(text);
    text.clear();
    return false;
  }
  head = text.substr(0, at);
  text.erase(0, at + separator.size());
  return true;
}

bool IsBatchForm(std::string_view list) { return list.find(kPairSeparator) != std::string_view::npos; }

std::vector<std::string> CutBatchList(std::string& list) {
  if (!list.ends_with(kRecordSeparator)) list += kRecordSeparator;
  std::vector<std::string> records;
  std::string_view rest = list;
  while (!rest.empty()) {
    const auto end = rest.find(kRecordSeparator);
    records.emplace_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + kRecordSeparator.size());
  }
  return records;
}

std::string TakeFieldGroup(std::string_view record, FieldMap& fields) {
  const auto end = record.find(kGroupSeparator);
  fields = ParsePairs(record.substr(0, end), kPairSeparator, Case::UpperName);
  if (end == std::string_view::npos) return {};
  std::string_view rest = record.substr(end + kGroupSeparator.size());
  if (rest.ends_with(kGroupSeparator)) rest.remove_suffix(kGroupSeparator.size());
  return std::string(rest);
}

std::vector<FieldMap> ParsePhotoGroups(std::string_view photo_groups) {
  // The appended pair separator keeps the rest from ever being empty, so every record has at
  // least one descriptor: the print run numbers its photo files by descriptor.
  std::string rest(photo_groups);
  rest += kPairSeparator;
  std::vector<FieldMap> photos;
  std::string group;
  while (!rest.empty()) {
    SplitAt(rest, group, kGroupSeparator);
    photos.push_back(ParsePairs(group, kPairSeparator, Case::Keep));
  }
  return photos;
}

PrintRecord ParseBatchRecord(std::string_view record) {
  PrintRecord parsed;
  const std::string photo_groups = TakeFieldGroup(record, parsed.fields);
  parsed.photos = ParsePhotoGroups(photo_groups);
  return parsed;
}

std::vector<std::string> CutSingleCardList(std::string_view list) {
  std::vector<std::string> records;
  while (!list.empty()) {
    const auto end = list.find(kSingleRecordSeparator);
    records.emplace_back(list.substr(0, end));
    list = end == std::string_view::npos ? std::string_view{} : list.substr(end + 1);
  }
  return records;
}

FieldMap ParseSingleCardRecord(std::string_view record) {
  return ParsePairs(record, std::string_view(&kSinglePairSeparator, 1), Case::UpperNameAndValue);
}

std::string EscapeQuotes(std::string_view value) { return ReplaceAll(value, '"', "''"); }

std::string EscapeAmpersands(std::string_view value) { return ReplaceAll(value, '&', "%26"); }

}  // namespace lumbra
