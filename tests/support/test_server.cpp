#include "support/test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace kal::test {

namespace {

constexpr const char* kServerScript = R"PY(
import functools, http.server, os, ssl, sys
root, cert, key, portfile, logfile = sys.argv[1:6]

class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    def log_message(self, *args):
        pass
    def serve(self, body):
        with open(logfile, "a") as f:
            f.write(self.command + " " + self.path + "\n")
        path = os.path.join(root, self.path.lstrip("/"))
        if os.path.exists(path + ".redirect"):
            self.send_response(302)
            self.send_header("Location", open(path + ".redirect").read().strip())
            self.end_headers()
            return
        if not os.path.isfile(path):
            self.send_error(404)
            return
        data = open(path, "rb").read()
        length = len(data)
        if os.path.exists(path + ".length"):
            length = int(open(path + ".length").read())
        self.send_response(200)
        self.send_header("Content-Length", str(length))
        self.end_headers()
        if body:
            self.wfile.write(data)
    def do_GET(self):
        self.serve(True)
    def do_HEAD(self):
        self.serve(False)

server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
if cert != "-":
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
with open(portfile + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(portfile + ".tmp", portfile)
server.serve_forever()
)PY";

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TestServer::TestServer(bool tls) {
  if (!Run("command -v python3")) {
    error_ = "python3 is not installed";
    return;
  }
  std::filesystem::create_directory(root());
  const std::string d = dir_.path().string() + "/";
  if (tls) {
    if (!Run("command -v openssl")) {
      error_ = "openssl is not installed";
      return;
    }
    std::ofstream(d + "ext.cnf") << "subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\n";
    const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    if (!Run("cd " + d + " && openssl req -x509" + ec + " -keyout ca.key -out ca.pem -days 2 -subj /CN=Kalendrina-Test-CA") ||
        !Run("cd " + d + " && openssl req" + ec + " -keyout server.key -out server.csr -subj /CN=127.0.0.1") ||
        !Run("cd " + d + " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial"
                         " -out server.pem -days 2 -extfile ext.cnf")) {
      error_ = "openssl could not make the test certificates";
      return;
    }
  }
  std::ofstream(d + "server.py") << kServerScript;
  const std::string script = d + "server.py";
  const std::string rootDir = root();
  const std::string cert = tls ? d + "server.pem" : "-";
  const std::string key = tls ? d + "server.key" : "-";
  const std::string portFile = d + "port";
  const std::string logFile = d + "requests.log";
  std::ofstream(logFile).flush();
  pid_ = fork();
  if (pid_ == 0) {
    execlp("python3", "python3", script.c_str(), rootDir.c_str(), cert.c_str(), key.c_str(), portFile.c_str(),
           logFile.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 200 && !std::filesystem::exists(portFile); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  const std::string port = ReadText(portFile);
  if (port.empty()) {
    error_ = "the test web server did not start";
    return;
  }
  address_ = std::string(tls ? "https" : "http") + "://127.0.0.1:" + port + "/";
}

TestServer::~TestServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

void TestServer::Put(const std::string& name, const std::string& bytes) const {
  const std::filesystem::path path = std::filesystem::path(root()) / name;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> TestServer::Requests() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadText(dir_.File("requests.log")));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

SilentServer::SilentServer() {
  fd_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof addr;
  if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&addr), size) != 0 || listen(fd_, 8) != 0 ||
      getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &size) != 0) {
    return;
  }
  port_ = ntohs(addr.sin_port);
}

SilentServer::~SilentServer() {
  if (fd_ >= 0) close(fd_);
}

std::string UstarArchive(const std::vector<std::pair<std::string, std::string>>& files, char type) {
  std::string out;
  for (const auto& [name, data] : files) {
    std::string h(512, '\0');
    h.replace(0, name.size(), name);
    std::snprintf(&h[100], 8, "%07o", 0755);
    std::snprintf(&h[124], 12, "%011o", static_cast<unsigned>(data.size()));
    h[156] = type;
    h.replace(257, 6, std::string("ustar\0", 6));
    h.replace(263, 2, "00");
    unsigned sum = 0;
    for (std::size_t i = 0; i < 512; ++i) sum += (i >= 148 && i < 156) ? ' ' : static_cast<unsigned char>(h[i]);
    std::snprintf(&h[148], 8, "%06o", sum);
    out += h + data + std::string((512 - data.size() % 512) % 512, '\0');
  }
  return out + std::string(1024, '\0');
}

void PublishRelease(const TestServer& server, const std::string& prefix, const std::string& release,
                    const std::string& archive, const SecretKey& key) {
  const std::string info = "kalendrina_release " + release + "\r\nkalendrina_version = \"2.5\";\r\n" +
                           "kalendrina_upgrades https://kalendrina.example/news\r\nkalendrina_path " +
                           server.address() + prefix + "\r\nkalendrina_file kalendrina-2.5.tar\r\n";
  server.Put(prefix + "version_info.txt", info);
  server.Put(prefix + "version_info.txt.sig", SignDetached(info, key));
  server.Put(prefix + "kalendrina-2.5.tar", archive);
  server.Put(prefix + "kalendrina-2.5.tar.sig", SignDetached(archive, key));
}

}  // namespace kal::test
