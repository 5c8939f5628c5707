// The HTTP client against real servers on 127.0.0.1: chunking, what goes out on the wire, the
// streaming request body, the error numbers, the no-progress bound and TLS.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/base/registry.h"
#include "platform/http/http_client.h"
#include "test_site.h"

namespace lumbra {
namespace {

using testing::TestSite;

struct Collected {
  std::vector<int> statuses;
  std::vector<std::size_t> chunk_sizes;
  std::string body;
  bool chunk_before_status = false;
};

HttpResponse Fetch(const HttpClient& client, const HttpRequest& request, Collected& out) {
  return client.Send(
      request,
      [&](int status) {
        out.statuses.push_back(status);
        return true;
      },
      [&](std::string_view chunk) {
        if (out.statuses.empty()) out.chunk_before_status = true;
        out.chunk_sizes.push_back(chunk.size());
        out.body.append(chunk);
        return true;
      });
}

HttpRequest At(std::string host, int port, std::string path) {
  HttpRequest request;
  request.server = {std::move(host), port};
  request.path = std::move(path);
  return request;
}

HttpRequest Get(int port, std::string path) { return At("127.0.0.1", port, std::move(path)); }

// A raw server that answers every request with what it received.
class EchoServer {
 public:
  EchoServer() {
    const auto echo = [](const httplib::Request& request, httplib::Response& response) {
      std::string text = request.method + " " + request.target + "\n";
      for (const auto& [name, value] : request.headers) text += name + ": " + value + "\n";
      response.set_content(text + "\n" + request.body, "text/plain");
    };
    server_.Get(".*", echo);
    server_.Post(".*", [echo](const httplib::Request& request, httplib::Response& response) {
      if (request.path == "/auth" && !request.has_header("Authorization")) {
        response.status = 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"x\"");
        return;
      }
      echo(request, response);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // A stop before the server runs would be lost.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server_.is_running() && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  ~EchoServer() {
    server_.stop();
    thread_.join();
  }
  int Port() const { return port_; }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

// A body handed out in small pieces, as a file read on demand would be.
class PieceBody final : public BodySource {
 public:
  PieceBody(std::string bytes, bool fail_midway) : bytes_(std::move(bytes)), fail_midway_(fail_midway) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::optional<std::size_t> Read(std::span<char> buffer) override {
    if (fail_midway_ && offset_ > bytes_.size() / 2) return std::nullopt;
    const std::size_t count = std::min({buffer.size(), bytes_.size() - offset_, std::size_t{1000}});
    bytes_.copy(buffer.data(), count, offset_);
    offset_ += count;
    return count;
  }
  bool Rewind() override {
    ++rewinds;
    offset_ = 0;
    return true;
  }
  std::string ErrorText() const override { return "the selected file could not be read"; }
  int rewinds = 0;

 private:
  std::string bytes_;
  bool fail_midway_;
  std::size_t offset_ = 0;
};

int UnusedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

TEST(ServerAddressTest, PortTextTable) {
  struct Case {
    const char* text;
    int port;
    bool secure;
  };
  const Case cases[] = {{"", 80, false},       {"0", 80, false},        {"-443", 80, false},
                        {"abc", 80, false},    {"8080", 8080, false},   {" 81", 81, false},
                        {"443", 443, true},    {"443abc", 443, true},   {"4430", 4430, false},
                        {"+444", 444, false},  {"99999999999999", 1'000'000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto address = ServerAddress::FromProperties("host", c.text);
    EXPECT_EQ(address.port, c.port);
    EXPECT_EQ(address.Secure(), c.secure);
  }
}

TEST(HttpClientTest, BodyArrivesInChunksOfTheCallersSizeAfterTheStatus) {
  TestSite site;
  std::string content;
  for (int i = 0; i < 5000; ++i) content += static_cast<char>('a' + i % 26);
  site.Put("kx/cards/a.cdf", content);
  site.Put("kx/cards/empty.cdf", "");
  const HttpClient client(HttpSettings{});
  Collected got;
  auto request = Get(site.Port(), "/kx/cards/a.cdf");
  const auto response = Fetch(client, request, got);
  EXPECT_FALSE(response.error);
  EXPECT_EQ(response.status, 200);
  EXPECT_EQ(got.statuses, std::vector<int>{200});
  EXPECT_FALSE(got.chunk_before_status);
  EXPECT_EQ(got.chunk_sizes, (std::vector<std::size_t>{2048, 2048, 904}));
  EXPECT_EQ(got.body, content);

  Collected small;
  request.chunk_size = 1024;
  Fetch(client, request, small);
  EXPECT_EQ(small.chunk_sizes.size(), 5u);

  // An empty body still reports its status, and no chunk.
  Collected empty;
  EXPECT_EQ(Fetch(client, Get(site.Port(), "/kx/cards/empty.cdf"), empty).status, 200);
  EXPECT_EQ(empty.statuses, std::vector<int>{200});
  EXPECT_TRUE(empty.chunk_sizes.empty());
}

TEST(HttpClientTest, StatusHandlerCanSkipTheBody) {
  TestSite site;
  site.Put("big.bin", std::string(4 << 20, 'x'));
  const HttpClient client(HttpSettings{});
  std::size_t bytes = 0;
  const auto response = client.Send(
      Get(site.Port(), "/big.bin"), [](int) { return false; },
      [&](std::string_view chunk) {
        bytes += chunk.size();
        return true;
      });
  EXPECT_EQ(response.status, 200);
  EXPECT_FALSE(response.error);
  EXPECT_TRUE(response.stopped_by_caller);
  EXPECT_EQ(bytes, 0u);
}

TEST(HttpClientTest, WhatGoesOnTheWire) {
  EchoServer echo;
  const HttpClient client(HttpSettings{});
  Collected plain;
  Fetch(client, Get(echo.Port(), "/a b/ü#x/../c?q=1&w=a%26b"), plain);
  EXPECT_NE(plain.body.find("GET /a%20b/%C3%BC%23x/../c?q=1&w=a%26b\n"), std::string::npos) << plain.body;
  EXPECT_EQ(plain.body.find("Accept:"), std::string::npos) << plain.body;
  EXPECT_NE(plain.body.find("Cache-Control: no-cache"), std::string::npos);
  EXPECT_NE(plain.body.find("Pragma: no-cache"), std::string::npos);

  Collected photo;
  auto request = Get(echo.Port(), "Blank.html");
  request.accept = "image/*, */*";
  Fetch(client, request, photo);
  EXPECT_NE(photo.body.find("GET /Blank.html\n"), std::string::npos) << photo.body;
  EXPECT_NE(photo.body.find("Accept: image/*, */*"), std::string::npos);

  Collected form;
  TextBody body("a=1&b=2");
  request = Get(echo.Port(), "/page.asp");
  request.method = HttpMethod::Post;
  request.body = &body;
  request.extra_headers = "Content-Type: application/x-www-form-urlencoded\r\nUser-Agent: MSIE4.";
  Fetch(client, request, form);
  EXPECT_NE(form.body.find("Content-Type: application/x-www-form-urlencoded\n"), std::string::npos) << form.body;
  EXPECT_NE(form.body.find("User-Agent: MSIE4.\n"), std::string::npos);
  EXPECT_EQ(form.body.substr(form.body.size() - 7), "a=1&b=2");

  Collected raw;
  TextBody record("\xFE" "FZ=3");
  request.body = &record;
  request.extra_headers.clear();
  Fetch(client, request, raw);
  EXPECT_EQ(raw.body.find("Content-Type:"), std::string::npos) << raw.body;
  EXPECT_EQ(raw.body.find("Expect:"), std::string::npos);
  EXPECT_EQ(raw.body.substr(raw.body.size() - 5), "\xFE" "FZ=3");
}

TEST(HttpClientTest, StreamingBodyIsSentAgainWhenTheServerAsksForCredentials) {
  EchoServer echo;
  const HttpClient client(HttpSettings{});
  std::string content(100'000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  PieceBody body(content, false);
  auto request = Get(echo.Port(), "/auth");
  request.method = HttpMethod::Post;
  request.body = &body;
  request.user = "op";
  request.password = "pw";
  Collected got;
  const auto response = Fetch(client, request, got);
  ASSERT_FALSE(response.error) << response.error->text;
  EXPECT_EQ(response.status, 200);
  EXPECT_NE(got.body.find("Authorization: Basic b3A6cHc="), std::string::npos);
  EXPECT_EQ(got.body.substr(got.body.size() - content.size()), content);
}

TEST(HttpClientTest, FailuresCarryTheirNumbers) {
  TestSite site;
  site.Put("kx/cards/a.cdf", std::string(50'000, 'c'));
  site.SetFaults({R"({"path": "/drop", "drop": true})", R"({"path": "/kx/cards/a.cdf", "cut_after": 3000})"});
  const HttpClient client(HttpSettings{});
  struct Case {
    const char* name;
    HttpRequest request;
    int status;
    int code;
  };
  const Case cases[] = {
      {"not a host name", At("bad host", 80, "/"), 0, internet_error::kNameNotResolved},
      {"port out of range", At("127.0.0.1", 70000, "/"), 0, internet_error::kInvalidUrl},
      {"nobody listening", Get(UnusedPort(), "/"), 0, internet_error::kCannotConnect},
      {"dropped without an answer", Get(site.Port(), "/drop"), 0, internet_error::kConnectionAborted},
      {"body cut short", Get(site.Port(), "/kx/cards/a.cdf"), 200, internet_error::kConnectionAborted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Collected got;
    const auto response = Fetch(client, c.request, got);
    EXPECT_EQ(response.status, c.status);
    ASSERT_TRUE(response.error);
    EXPECT_EQ(response.error->code, c.code) << response.error->text;
    EXPECT_EQ(response.error->text.rfind(InternetErrorText(c.code), 0), 0u) << response.error->text;
  }
}

TEST(HttpClientTest, BodySourceThatFailsCancelsTheRequest) {
  EchoServer echo;
  const HttpClient client(HttpSettings{});
  PieceBody body(std::string(100'000, 'b'), true);
  auto request = Get(echo.Port(), "/page");
  request.method = HttpMethod::Post;
  request.body = &body;
  Collected got;
  const auto response = Fetch(client, request, got);
  ASSERT_TRUE(response.error);
  EXPECT_EQ(response.error->code, internet_error::kOperationCancelled);
  EXPECT_NE(response.error->text.find("the selected file could not be read"), std::string::npos);
}

TEST(HttpClientTest, StalledServerHitsTheNoProgressBound) {
  TestSite site;
  site.Put("ostrel/ostrel.ini", "[x]");
  site.SetFaults({R"({"path": "/ostrel/*", "delay_ms": 20000})"});
  HttpSettings settings;
  settings.no_progress_timeout = std::chrono::milliseconds(300);
  const HttpClient client(settings);
  Collected got;
  const auto start = std::chrono::steady_clock::now();
  const auto response = Fetch(client, Get(site.Port(), "/ostrel/ostrel.ini"), got);
  const auto waited = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(response.error);
  EXPECT_EQ(response.error->code, internet_error::kTimeout);
  EXPECT_EQ(response.status, 0);
  // Far below the server's delay: the bound, not the server, ended the wait.
  EXPECT_LT(waited, std::chrono::seconds(10));
}

class TlsTest : public ::testing::Test {
 protected:
  static constexpr const char* kHost = "site.lumbra.test";
  HttpSettings Settings(bool trust_site_ca) const {
    HttpSettings settings;
    settings.connect_to = {std::string(kHost) + ":443:127.0.0.1:" + std::to_string(site_.Port())};
    if (trust_site_ca) settings.site_ca_file = site_.CaCert().string();
    return settings;
  }
  TestSite site_{{.users = "", .tls_host = kHost}};
};

TEST_F(TlsTest, PortFourFortyThreeSpeaksVerifiedTls) {
  site_.Put("ostrel/ostrel.ini", "[secure]");
  Collected got;
  const auto response = Fetch(HttpClient(Settings(true)), At(kHost, 443, "/ostrel/ostrel.ini"), got);
  ASSERT_FALSE(response.error) << response.error->text;
  EXPECT_EQ(got.body, "[secure]");
}

TEST_F(TlsTest, UnknownIssuerIsRefused) {
  Collected got;
  const auto response = Fetch(HttpClient(Settings(false)), At(kHost, 443, "/"), got);
  ASSERT_TRUE(response.error);
  EXPECT_EQ(response.error->code, internet_error::kSecurityError) << response.error->text;
  EXPECT_EQ(response.status, 0);
}

TEST_F(TlsTest, CertificateForAnotherNameIsRefused) {
  auto settings = Settings(true);
  settings.connect_to = {"other.lumbra.test:443:127.0.0.1:" + std::to_string(site_.Port())};
  Collected got;
  const auto response = Fetch(HttpClient(settings), At("other.lumbra.test", 443, "/"), got);
  ASSERT_TRUE(response.error);
  EXPECT_EQ(response.error->code, internet_error::kSecurityError) << response.error->text;
}

TEST_F(TlsTest, AnyOtherPortIsPlainHttp) {
  Collected got;
  const auto response = Fetch(HttpClient(Settings(true)), Get(site_.Port(), "/"), got);
  ASSERT_TRUE(response.error);
  EXPECT_NE(response.status, 200);
}

TEST(HttpSettingsTest, RegistryAndEnvironmentOverrideTheDefaults) {
  testing::TempFolder folder;
  Registry registry(folder.Path());
  EXPECT_EQ(HttpSettings::Load(registry).connect_timeout, std::chrono::seconds(30));
  EXPECT_EQ(HttpSettings::Load(registry).no_progress_timeout, std::chrono::seconds(60));
  const std::string key(HttpSettings::kRegistryKey);
  registry.SetValue(Hive::LocalMachine, key, HttpSettings::kConnectTimeoutValue, RegValue::Number(1500));
  registry.SetValue(Hive::LocalMachine, key, HttpSettings::kNoProgressTimeoutValue, RegValue::Number(0));
  registry.SetValue(Hive::LocalMachine, key, HttpSettings::kSiteCaFileValue, RegValue::Text("/etc/site-ca.pem"));
  setenv(std::string(HttpSettings::kConnectToVariable).c_str(), "a:443:127.0.0.1:1; b:443:127.0.0.1:2", 1);
  const auto settings = HttpSettings::Load(registry);
  unsetenv(std::string(HttpSettings::kConnectToVariable).c_str());
  EXPECT_EQ(settings.connect_timeout, std::chrono::milliseconds(1500));
  EXPECT_EQ(settings.no_progress_timeout, std::chrono::seconds(60));  // zero keeps the default
  EXPECT_EQ(settings.site_ca_file, "/etc/site-ca.pem");
  EXPECT_EQ(settings.connect_to, (std::vector<std::string>{"a:443:127.0.0.1:1", "b:443:127.0.0.1:2"}));
}

TEST(HttpSettingsTest, TheCaFileIsAHostPathWhereverItComesFrom) {
  testing::TempFolder folder;
  Registry registry(folder.Path());
  // "Zürich": Windows-1252 in the registry, UTF-8 in the host environment.
  registry.SetValue(Hive::LocalMachine, std::string(HttpSettings::kRegistryKey), HttpSettings::kSiteCaFileValue,
                    RegValue::Text("/etc/Z\xFCrich.pem"));
  EXPECT_EQ(HttpSettings::Load(registry).site_ca_file, "/etc/Z\xC3\xBCrich.pem");
  setenv(std::string(HttpSettings::kSiteCaFileVariable).c_str(), "/srv/Z\xC3\xBCrich/ca.pem", 1);
  const auto settings = HttpSettings::Load(registry);
  unsetenv(std::string(HttpSettings::kSiteCaFileVariable).c_str());
  EXPECT_EQ(settings.site_ca_file, "/srv/Z\xC3\xBCrich/ca.pem");
}

}  // namespace
}  // namespace lumbra
