#pragma once
// A SendData request body, streamed: the escaped form text, then for each selected file its
// block header and the file's bytes, read while the request is sent. Nothing but one read
// buffer is held in memory, however large the files.
//
// The length is fixed from the files' sizes when the body is prepared. A file that changes
// after that (other size, other modification time, short read) makes Read fail before the
// file's last byte goes out, so the server never gets a complete body with wrong content.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "datasave/readable_file.h"
#include "platform/base/files.h"
#include "platform/http/http_client.h"

namespace lumbra {

// Full local path -> its block header, in the table's own (path) order.
using SelectionTable = std::map<std::string, std::string>;

class SendBody final : public BodySource {
 public:
  // Called for a selected file that cannot be opened: its header goes out alone.
  using UnreadableFile = std::function<void(const std::string& path, int error)>;

  SendBody(const std::string& form_text, const SelectionTable& selection,
           const FileSystem& files, const UnreadableFile& unreadable);

  std::uint64_t Size() const override { return length_; }
  // Copies the next bytes into `buffer` and returns how many; 0 at the end. Nullopt when a
  // file cannot be read as planned; ErrorText() then says why.
  std::optional<std::size_t> Read(std::span<char> buffer) override;
  bool Rewind() override;
  std::string ErrorText() const override { return failure_; }

 private:
  struct Segment {
    std::string text;                 // the bytes of a text segment
    std::optional<ReadableFile> file; // or a file's content
    std::string path;
  };

  std::optional<std::size_t> ReadFile(Segment& segment, std::span<char> buffer);
  void Fail(const Segment& segment, const std::string& reason);

  std::vector<Segment> segments_;
  std::uint64_t length_ = 0;
  std::size_t current_ = 0;
  std::uint64_t offset_ = 0;  // within the current segment
  std::string failure_;
};

}  // namespace lumbra
