#include "print_fixture.h"

#include <chrono>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

#include "platform/base/text.h"

namespace lumbra::testing {
namespace {

std::string WithCrLf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

DdeError RecordingProduction::Execute(std::string_view command) {
  std::lock_guard lock(mutex_);
  commands_.emplace_back(command);
  if (!refuse_.empty() && command.find(refuse_) != std::string_view::npos) return DdeError::NotProcessed;
  return DdeError::None;
}

DdeServerHandler::Answer RecordingProduction::Request(std::string_view item, std::uint32_t) {
  return {DdeError::None, item == "KestrixStatus" ? "CARD PRINTED" : "OK"};
}

std::vector<std::string> RecordingProduction::Commands() {
  std::lock_guard lock(mutex_);
  return commands_;
}

void RecordingProduction::Refuse(std::string text) {
  std::lock_guard lock(mutex_);
  refuse_ = std::move(text);
}

PrintFixture::PrintFixture() {
  layout_.root = root_folder_.Path();
  layout_.EnsureCreated();
  files_ = std::make_unique<FileSystem>(layout_.root);
  registry_ = std::make_unique<Registry>(layout_.RegistryDir());
  services_ = std::make_unique<Services>(Services{layout_, *files_, *registry_, clock_, ui_});
  data_folder_ = layout_.root / "KX";
  for (const char* folder : {"cards", "links", "bitmap", "handlers"}) {
    std::filesystem::create_directories(data_folder_ / folder);
  }
  std::ofstream(layout_.SystemDir() / "kx.ini") << "[SYSTEM]\r\nKXDataPath=" << data_folder_.string() << "\r\n";

  PutSiteFile("ostrel/ostrel.ini",
              "[IDLINKPRODUCTION]\n1=STAFF\xB6" "BADGE\xB6" "BADGE\n2=DV10\xB6" "BADGE\xB6" "BADGE\n"
              "3=VISITOR\xB6VISITOR\xB6VISITOR\n"
              "[TYPEFIELD]\nFIELD=TYPE\n"
              "[BADGE]\n1=HEADER0_1\xB6" "EMPNO\n2=NAME\xB6NAME\n"
              "[VISITOR]\n1=HEADER0_1\xB6PASSNO\n");
  PutSiteFile("kx/links/BADGE.LNK", "[Link]\nFieldType=1\nCardName=BADGE\n");
  PutSiteFile("kx/links/VISITOR.LNK", "[Link]\nFieldType=1\nCardName=VISITOR\n");
  PutSiteFile("kx/cards/BADGE.CDF", "[Logo]\nBMPFileName=LOGO.BMP\n");
  PutSiteFile("kx/cards/VISITOR.CDF", "[Card]\n");
  PutSiteFile("kx/bitmap/LOGO.BMP", "BM logo");
  PutSiteFile("photos/E1.jpg", "jpeg E1");
  for (const char* id : {"1", "2", "3"}) PutSiteFile(std::string("photos/EMP/PHOTO/ID_") + id + ".jpg", id);

  server_ = std::make_unique<DdeServer>(layout_.RunDir() / "dde", "Kestrix", production_);
  std::string error;
  EXPECT_TRUE(server_->Start(error)) << error;
}

PrintFixture::~PrintFixture() {
  control_.reset();
  server_.reset();
}

COstrelCtrl& PrintFixture::Control() {
  if (!control_) control_ = std::make_shared<COstrelCtrl>(*services_);
  return *control_;
}

void PrintFixture::Put(std::string_view name, std::string_view ansi_value) {
  Control().Put(name, Variant(Utf8FromAnsi(ansi_value)));
}

std::string PrintFixture::Get(std::string_view name) { return AnsiFromUtf8(Control().Get(name).ToText()); }

void PrintFixture::PreparePrint(std::string_view field_info_list) {
  Put("ServerURL", "127.0.0.1");
  Put("PORT", std::to_string(site_.Port()));
  Put("DLLVERSION", "/employee.asp");
  Put("GETBLOB", "/photo.asp");
  Put("FieldInfoList", field_info_list);
}

void PrintFixture::PutSiteFile(const std::string& relative, std::string_view text) const {
  site_.Put(relative, WithCrLf(text));
}

std::vector<std::string> PrintFixture::Requests(std::size_t at_least) const {
  // The site logs a request just after its answer has gone out.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  // Lines are written as requests end, which a short status probe may do after the next
  // request; the arrival number restores the order the control asked in.
  std::map<std::uint64_t, std::string> by_arrival;
  for (const std::string& line : site_.LogLines(at_least)) {
    const auto entry = nlohmann::json::parse(line);
    std::string path = entry.at("path").get<std::string>();
    const std::string query = entry.at("query").get<std::string>();
    if (!query.empty()) path += "?" + query;
    by_arrival[entry.at("seq").get<std::uint64_t>()] = path;
  }
  std::vector<std::string> paths;
  for (auto& [sequence, path] : by_arrival) paths.push_back(std::move(path));
  return paths;
}

std::size_t PrintFixture::RequestCount(std::string_view path) const {
  std::size_t count = 0;
  for (const std::string& request : Requests()) count += request == path ? 1 : 0;
  return count;
}

void PrintFixture::SetSetting(const char* name, std::uint32_t value) {
  registry_->SetValue(Hive::LocalMachine, kControlSettingsKey, name, RegValue::Number(value));
}

}  // namespace lumbra::testing
