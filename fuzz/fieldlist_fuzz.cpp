// The FieldInfoList text comes straight from the page: both layouts must cut and parse any
// bytes, and the parsed records must keep the shape the print runs rely on.
#include <cstdint>
#include <cstdlib>

#include "fuzz_files.h"
#include "printctl/field_list.h"

using namespace lumbra;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = AsText(data, size);

  std::string list(input);
  for (const std::string& record : CutBatchList(list)) {
    Check(record.find(kRecordSeparator) == std::string::npos);
    const PrintRecord parsed = ParseBatchRecord(record);
    Check(!parsed.photos.empty());
    for (const auto& [name, value] : parsed.fields) Check(name.find(kPairSeparator) == std::string::npos);
    FieldMap fields;
    const std::string photo_groups = TakeFieldGroup(record, fields);
    Check(fields == parsed.fields && ParsePhotoGroups(photo_groups) == parsed.photos);
  }
  Check(list.ends_with(kRecordSeparator));

  for (const std::string& record : CutSingleCardList(input)) {
    for (const auto& [name, value] : ParseSingleCardRecord(record)) {
      Check(name.find('=') == std::string::npos);
      Check(value.find(kSinglePairSeparator) == std::string::npos);
    }
  }

  const std::string quoted = EscapeQuotes(input);
  Check(quoted.find('"') == std::string::npos);
  const std::string escaped = EscapeAmpersands(input);
  Check(escaped.find('&') == std::string::npos);

  std::string text(input);
  std::string head;
  const std::string_view separator = input.substr(0, size % 4);
  const bool found = SplitAt(text, head, separator);
  Check(found ? head.size() + separator.size() + text.size() == size : (separator.empty() || text.empty()));
  return 0;
}
