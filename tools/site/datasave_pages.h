#pragma once
// The data-save pages of the reference site:
//  - POST .../SendData.asp (any folder, any case): the receiver of the data-save object's
//    SendData body. It splits the body into the form text and the file blocks, stores them in
//    a new folder datasave/received/NNNN/ of the site folder, and answers "SUCCESS", or the
//    text of datasave/answer.txt when that file exists (a configured failure text).
//  - POST .../GetData.asp: answers the posted form, one "name=value" line per field, decoded.
// docs/senddata.md describes the body layout and what the receiver stores.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datasave/block_layout.h"
#include "site/site.h"

namespace lumbra::site {

struct ReceivedBlock {
  BlockFields fields;
  std::uint64_t offset = 0;  // where the file's bytes start in the body
  std::uint64_t length = 0;  // how many bytes belong to the file
};

struct SplitBody {
  std::string form_text;  // the markers turned back into their bytes
  std::vector<ReceivedBlock> blocks;
};

// Splits a body. A block's bytes run for the size its header names when the body ends there or
// the next header starts there; otherwise (a file that changed size after it was selected, or a
// header with no size) they run to the next header or the end of the body. Throws
// std::runtime_error, naming the offset, for bytes that are no block header where one must be.
SplitBody SplitSendDataBody(std::string_view body);

void RegisterDataSavePages(httplib::Server& server, SiteContext& context);

}  // namespace lumbra::site
