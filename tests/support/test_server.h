// A private web server for the update tests: python3's http.server, wrapped
// in TLS with a certificate of a CA made for the test with openssl, serving
// one folder. It logs every request ("GET /path") so a test can see what
// reached it, and two side files change how a file is served:
//   NAME.length    the Content-Length announced instead of the real one
//   NAME.redirect  a redirect to the address it holds
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/signature.h"
#include "support/test_support.h"

namespace kal::test {

class TestServer {
 public:
  // tls false: plain HTTP. error() says why it did not start.
  explicit TestServer(bool tls);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  const std::string& error() const { return error_; }
  // "https://127.0.0.1:PORT/" (or http://).
  const std::string& address() const { return address_; }
  // The CA that signed the server's certificate (PEM).
  std::string caFile() const { return dir_.File("ca.pem"); }
  std::string root() const { return dir_.File("root"); }
  void Put(const std::string& name, const std::string& bytes) const;
  std::vector<std::string> Requests() const;

 private:
  TempDir dir_;
  pid_t pid_ = -1;
  std::string address_;
  std::string error_;
};

// A TCP port that accepts connections and never answers.
class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// A ustar archive of regular files (type '0' unless told), as the maker's
// release tooling makes it.
std::string UstarArchive(const std::vector<std::pair<std::string, std::string>>& files, char type = '0');

// Puts a release into the server's folder `prefix`: version information
// (release date as given, version written as `= "2.5";`, details page
// https://kalendrina.example/news, update file kalendrina-2.5.tar on the same
// server) and the update archive, each with its signature by `key`.
void PublishRelease(const TestServer& server, const std::string& prefix, const std::string& release,
                    const std::string& archive, const SecretKey& key);

}  // namespace kal::test
