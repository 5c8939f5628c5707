#include "site/datasave_pages.h"

#include <fcntl.h>
#include <httplib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <stdexcept>

#include "platform/base/text.h"
#include "site/users.h"

namespace lumbra::site {
namespace {

namespace fs = std::filesystem;

// A path regex that matches `name` at the end of any path, without regard to case.
std::string PagePattern(std::string_view name) {
  std::string pattern = "(.*/)?";
  for (char c : name) {
    if (std::isalpha(static_cast<unsigned char>(c))) {
      pattern += '[';
      pattern += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      pattern += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      pattern += ']';
    } else {
      pattern += '\\';
      pattern += c;
    }
  }
  return pattern;
}

std::optional<std::size_t> NextHeader(std::string_view body, std::size_t from) {
  for (std::size_t at = body.find(kBlockMark, from); at != std::string_view::npos;
       at = body.find(kBlockMark, at + 1)) {
    if (ParseBlockHeader(body, at)) return at;
  }
  return std::nullopt;
}

// A body file mapped for reading; an empty file maps to an empty view.
class MappedFile {
 public:
  explicit MappedFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot read the received body " + file.string());
    size_ = static_cast<std::size_t>(fs::file_size(file));
    if (size_ > 0) {
      data_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    }
    ::close(fd);
    if (data_ == MAP_FAILED) throw std::runtime_error("cannot map the received body " + file.string());
  }
  ~MappedFile() {
    if (size_ > 0) ::munmap(data_, size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::string_view View() const { return size_ ? std::string_view(static_cast<const char*>(data_), size_) : ""; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

// A new numbered folder below datasave/received of the site folder.
fs::path NewRequestFolder(const fs::path& root) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  const fs::path received = root / "datasave" / "received";
  fs::create_directories(received);
  std::size_t number = 1;
  for (const auto& entry : fs::directory_iterator(received)) {
    if (entry.is_directory()) ++number;
  }
  for (;; ++number) {
    char name[16];
    std::snprintf(name, sizeof name, "%04zu", number);
    if (fs::create_directory(received / name)) return received / name;
  }
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

nlohmann::json Describe(const ReceivedBlock& block, const std::string& file) {
  const BlockFields& fields = block.fields;
  return {{"file", file},
          {"declared_size", fields.size ? nlohmann::json(*fields.size) : nlohmann::json(nullptr)},
          {"size", block.length},
          {"table_id", Utf8FromAnsi(fields.table_id)},
          {"field_name", Utf8FromAnsi(fields.field_name)},
          {"where_clause", Utf8FromAnsi(fields.where_clause)},
          {"text_stream", Utf8FromAnsi(fields.text_stream)}};
}

// Splits the body kept in `folder` into form.txt, block-N.bin and request.json.
void StoreRequest(const fs::path& folder, const fs::path& body_file, const httplib::Request& request) {
  const MappedFile body(body_file);
  const SplitBody split = SplitSendDataBody(body.View());
  WriteBytes(folder / "form.txt", split.form_text);
  nlohmann::json blocks = nlohmann::json::array();
  for (std::size_t i = 0; i < split.blocks.size(); ++i) {
    const ReceivedBlock& block = split.blocks[i];
    const std::string name = "block-" + std::to_string(i + 1) + ".bin";
    WriteBytes(folder / name, body.View().substr(block.offset, block.length));
    blocks.push_back(Describe(block, name));
  }
  const nlohmann::json summary = {{"path", request.path},
                                  {"user", BasicUser(request.get_header_value("Authorization"))},
                                  {"bytes", body.View().size()},
                                  {"form_text", "form.txt"},
                                  {"blocks", blocks}};
  WriteBytes(folder / "request.json", summary.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
}

std::string ConfiguredAnswer(const fs::path& root) {
  std::ifstream in(root / "datasave" / "answer.txt", std::ios::binary);
  if (!in) return "SUCCESS";
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

void ReceiveSendData(const SiteContext& context, const httplib::Request& request, httplib::Response& response,
                     const httplib::ContentReader& content) {
  fs::path folder;
  try {
    folder = NewRequestFolder(context.config.root);
  } catch (const std::exception& error) {
    response.status = 500;
    response.set_content(std::string("cannot store the request: ") + error.what() + "\n", "text/plain");
    return;
  }
  // The body goes to disk as it arrives: a 200 MB photo never sits in memory.
  const fs::path body_file = folder / "body.part";
  std::ofstream out(body_file, std::ios::binary);
  std::uint64_t received = 0;
  const bool whole = content([&](const char* data, std::size_t length) {
    out.write(data, static_cast<std::streamsize>(length));
    received += length;
    return static_cast<bool>(out);
  });
  out.close();
  const std::string announced = request.get_header_value("Content-Length");
  if (!whole || !out || (!announced.empty() && received != std::stoull(announced))) {
    // A body cut short is no request: keep nothing of it.
    fs::remove_all(folder);
    response.status = 400;
    response.set_content("the body was incomplete; nothing was stored\n", "text/plain");
    return;
  }
  try {
    StoreRequest(folder, body_file, request);
    fs::remove(body_file);
  } catch (const std::exception& error) {
    // The raw body stays in the folder, for the server developer to look at.
    response.status = 400;
    response.set_content(std::string("the body could not be split: ") + error.what() + "\n", "text/plain");
    return;
  }
  response.status = 200;
  response.set_content(ConfiguredAnswer(context.config.root), "text/plain");
}

std::string DecodeFormPart(std::string_view part) {
  std::string text;
  for (std::size_t i = 0; i < part.size(); ++i) {
    if (part[i] == '+') {
      text += ' ';
    } else if (part[i] == '%' && i + 2 < part.size() && std::isxdigit(static_cast<unsigned char>(part[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(part[i + 2]))) {
      text += static_cast<char>(std::stoi(std::string(part.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      text += part[i];
    }
  }
  return text;
}

void AnswerGetData(const httplib::Request& request, httplib::Response& response) {
  std::string answer;
  std::string_view form = request.body;
  while (!form.empty()) {
    const std::size_t end = form.find('&');
    const std::string_view pair = form.substr(0, end);
    const std::size_t equals = pair.find('=');
    answer += DecodeFormPart(pair.substr(0, equals));
    answer += '=';
    if (equals != std::string_view::npos) answer += DecodeFormPart(pair.substr(equals + 1));
    answer += "\r\n";
    form = end == std::string_view::npos ? std::string_view() : form.substr(end + 1);
  }
  response.status = 200;
  response.set_content(answer, "text/plain");
}

}  // namespace

SplitBody SplitSendDataBody(std::string_view body) {
  SplitBody split;
  std::size_t at = std::min(body.find(kBlockMark), body.size());
  split.form_text = UnescapeFormText(body.substr(0, at));
  while (at < body.size()) {
    const std::optional<ParsedHeader> header = ParseBlockHeader(body, at);
    if (!header) throw std::runtime_error("no block header at byte " + std::to_string(at));
    ReceivedBlock block;
    block.fields = header->fields;
    block.offset = at + header->length;
    const std::optional<std::uint64_t> size = header->fields.size;
    const bool size_fits = size && *size <= body.size() - block.offset &&
                           (block.offset + *size == body.size() || ParseBlockHeader(body, block.offset + *size));
    const std::size_t end = size_fits ? block.offset + *size : NextHeader(body, block.offset).value_or(body.size());
    block.length = end - block.offset;
    split.blocks.push_back(std::move(block));
    at = end;
  }
  return split;
}

void RegisterDataSavePages(httplib::Server& server, SiteContext& context) {
  server.Post(PagePattern("SendData.asp"),
              [&context](const httplib::Request& request, httplib::Response& response,
                         const httplib::ContentReader& content) { ReceiveSendData(context, request, response, content); });
  server.Post(PagePattern("GetData.asp"), AnswerGetData);
}

}  // namespace lumbra::site
