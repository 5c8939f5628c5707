#pragma once
// A small recording web server on 127.0.0.1 for the data-save tests: it keeps every request
// and answers from a rule the test sets. Basic authentication is asked for when `user` is set.
#include <httplib.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumbra::testing {

struct SeenRequest {
  std::string method;
  std::string path;
  std::string body;
  std::string content_type;
  std::string user_agent;
  std::string accept;
  bool has_content_length = false;
};

struct Answer {
  int status = 200;
  std::string body;
};

class TestSite {
 public:
  TestSite() {
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      Handle(request, response);
    });
    server_.Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
      Handle(request, response);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~TestSite() {
    server_.stop();
    thread_.join();
  }

  int Port() const { return port_; }
  std::string PortText() const { return std::to_string(port_); }

  // Credentials the site accepts; empty: no authentication.
  std::string user;
  std::string password;
  std::function<Answer(const SeenRequest&)> answer = [](const SeenRequest&) { return Answer{200, "SUCCESS"}; };

  std::vector<SeenRequest> Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  // Requests that passed authentication.
  std::vector<SeenRequest> Admitted() {
    std::lock_guard lock(mutex_);
    return admitted_;
  }

 private:
  void Handle(const httplib::Request& request, httplib::Response& response) {
    SeenRequest seen{request.method, request.path, request.body,
                     request.get_header_value("Content-Type"), request.get_header_value("User-Agent"),
                     request.get_header_value("Accept"), request.has_header("Content-Length")};
    std::lock_guard lock(mutex_);
    requests_.push_back(seen);
    if (!user.empty() && request.get_header_value("Authorization") !=
                             httplib::make_basic_authentication_header(user, password).second) {
      response.status = 401;
      response.set_header("WWW-Authenticate", "Basic realm=\"site\"");
      return;
    }
    admitted_.push_back(seen);
    const Answer reply = answer(seen);
    response.status = reply.status;
    response.set_content(reply.body, "text/html");
  }

  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<SeenRequest> requests_;
  std::vector<SeenRequest> admitted_;
};

}  // namespace lumbra::testing
