#include "datasave/send_body.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "datasave/file_error.h"

namespace lumbra {

SendBody::SendBody(const std::string& form_text, const SelectionTable& selection,
                   const FileSystem& files, const UnreadableFile& unreadable) {
  auto add_text = [this](const std::string& text) {
    if (text.empty()) return;
    length_ += text.size();
    segments_.push_back(Segment{text, std::nullopt, {}});
  };
  add_text(form_text);
  for (const auto& [path, header] : selection) {
    add_text(header);
    ReadableFile file(files.HostPath(path).string());
    if (!file.IsOpen()) {
      unreadable(path, file.Error());
      continue;
    }
    length_ += file.Size();
    segments_.push_back(Segment{{}, std::move(file), path});
  }
}

std::optional<std::size_t> SendBody::Read(std::span<char> buffer) {
  if (!failure_.empty()) return std::nullopt;
  while (current_ < segments_.size()) {
    Segment& segment = segments_[current_];
    const std::uint64_t total = segment.file ? segment.file->Size() : segment.text.size();
    if (offset_ == total) {
      ++current_;
      offset_ = 0;
      continue;
    }
    if (segment.file) return ReadFile(segment, buffer);
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), total - offset_));
    std::memcpy(buffer.data(), segment.text.data() + offset_, count);
    offset_ += count;
    return count;
  }
  return 0;
}

std::optional<std::size_t> SendBody::ReadFile(Segment& segment, std::span<char> buffer) {
  ReadableFile& file = *segment.file;
  const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), file.Size() - offset_));
  std::size_t got = 0;
  while (got < wanted) {
    const ssize_t count = file.Read(buffer.data() + got, wanted - got);
    if (count < 0) {
      Fail(segment, FileErrorText(errno));
      return std::nullopt;
    }
    if (count == 0) {
      Fail(segment, "it became shorter while it was being sent.");
      return std::nullopt;
    }
    got += static_cast<std::size_t>(count);
  }
  offset_ += got;
  // The file's last bytes are not handed out before it is known to be unchanged.
  if (offset_ == file.Size() && !file.Unchanged()) {
    Fail(segment, "it was changed while it was being sent.");
    return std::nullopt;
  }
  return got;
}

bool SendBody::Rewind() {
  for (Segment& segment : segments_) {
    if (segment.file && !segment.file->Rewind()) {
      Fail(segment, FileErrorText(errno));
      return false;
    }
  }
  current_ = 0;
  offset_ = 0;
  return failure_.empty();
}

void SendBody::Fail(const Segment& segment, const std::string& reason) {
  failure_ = "The file " + segment.path + " could not be sent: " + reason +
             " Nothing was saved; send the data again.";
}

}  // namespace lumbra
